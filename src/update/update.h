// The start-up version check and the download panel.
#pragma once

#include "text/text.h"

#include <cstdint>

void checkForUpdate();
void onDownloadClicked();

// The part of source between the first left marker at or after the 1-based
// byte start and the first right marker after it, or the empty text.
// "#引号" in a marker stands for a double quote. Matches are tried only where
// a character begins; ignoreCase folds ASCII letters only.
Text textBetween(const Text& source, const Text& left, const Text& right, std::int32_t start,
                 bool ignoreCase);

extern const Text updateFileAddress;

// For tests: what fetches the update file (the platform's HTTPS client by
// default).
using UpdateFetcher = Bytes (*)(const Text& address);
void setUpdateFetcher(UpdateFetcher fetcher);
extern const Text downloadPageAddress;
