// Conversion between the program's texts (code page 936 bytes) and the
// UTF-16 strings of the wide Win32 functions. The code page is named
// rather than taken from the system, so the texts show on any locale.
#pragma once

#include "text/text.h"

#include <string>

std::wstring toWide(const Text& text);
Text fromWide(const std::wstring& text);
Text fromWide(const wchar_t* text, int length);
