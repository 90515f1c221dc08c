// Drives the real main window of the Linux build inside a test process.
#pragma once

#include "text/text.h"
#include "window/controls.h"

#include <QByteArray>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <map>
#include <string>

namespace harness {

// An update file that keeps the full window, and one that shows the panel.
extern const Text currentUpdateFile;
extern const Text staleUpdateFile;

// Opens the main window as the program does at start-up (creation handler
// included). In a build with an update address the check is answered by
// updateFile instead of the network. Once per process.
void openMainWindow(const Text& updateFile = currentUpdateFile);

QWidget* widget(ControlId id);
// A real left click in the middle of the control.
void click(ControlId id);
// Replaces the text of an edit box as a user would (select all, type).
void typeInto(ControlId id, const Text& text);

// Waits, dispatching events, until condition holds or timeoutMs pass.
bool waitFor(const std::function<bool()>& condition, int timeoutMs = 10000);
// Waits until the draw button shows "开桨" again and no worker is drawing.
bool waitForIdle(int timeoutMs = 30000);

// Child processes for paths that end the process (fatal report, close).
// A child runs scenarios[name] with its own QApplication; its standard
// output and exit status come back to the parent.
struct ChildResult {
    int exitStatus = -1; // 0..255, or -1 when it did not exit normally
    QByteArray output;
};
using Scenarios = std::map<std::string, std::function<void()>>;
ChildResult runChild(const std::string& scenario, int timeoutMs = 30000);

// Watches for the fatal report box in a child: prints its title, text,
// icon and buttons to standard output, then presses OK.
void answerFatalReport();

// main() for a GUI test: runs a scenario when started as a child, else the
// Qt Test object.
int testMain(int argc, char** argv, QObject* tests, const Scenarios& scenarios);

} // namespace harness

#define TAVRELLE_GUI_TEST_MAIN(TestClass, scenarios)                  \
    int main(int argc, char** argv)                                    \
    {                                                                  \
        TestClass tests;                                               \
        return harness::testMain(argc, argv, &tests, scenarios);      \
    }
