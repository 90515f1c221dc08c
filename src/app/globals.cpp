#include "app/globals.h"

LockHandle drawLock = 0;
Text currentVersion;
Text latestVersion;
std::atomic<std::int32_t> runState{0};
std::array<Text, 5> groupRedKeys;
std::int32_t drawCount = 0;
std::array<Text, 7> drawnNumbers;
std::int32_t totalSpent = 0;
Text lastDrawText;
std::int32_t redHits = 0;
std::int32_t blueHit = 0;

void release(Text& text)
{
    Text().swap(text);
}
