// A build that nobody publishes updates for (no update or download address,
// the default): start-up fetches nothing and opens the full window.
#include "harness.h"

#include "app/globals.h"
#include "app/startup.h"
#include "platform/qt/qt_window.h"
#include "update/update.h"

#include <QTest>

namespace {

int fetches = 0;

// Would turn the window into the download panel, were it ever asked.
Bytes staleFile(const Text&)
{
    ++fetches;
    const Text stale = harness::staleUpdateFile;
    return Bytes(stale.begin(), stale.end());
}

} // namespace

class UpdateUnpublishedTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(updateFileAddress.empty());
        QVERIFY(downloadPageAddress.empty());
        setUpdateFetcher(staleFile);
        openMainWindow();
        QVERIFY(QTest::qWaitForWindowExposed(qtwindow::mainWindow()));
    }

    void startUpFetchesNothingAndOpensTheFullWindow()
    {
        QCOMPARE(fetches, 0);
        QCOMPARE(qtwindow::mainWindow()->frameGeometry().size(), QSize(1000, 720));
        QVERIFY(qtwindow::widget(外形框2)->isHidden());
        QVERIFY(!qtwindow::widget(按钮6)->isVisible());
        QCOMPARE(latestVersion, Text());
    }
};

TAVRELLE_GUI_TEST_MAIN(UpdateUnpublishedTest, {})

#include "update_unpublished_test.moc"
