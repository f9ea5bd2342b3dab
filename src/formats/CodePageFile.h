// The .cpg file beside a dBASE table: one line naming the table's code page.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The encoding code for what a .cpg says: 1 for UTF-8, 17 for Shift-JIS
// (CP932 and its other names); 0 for anything else.
int32_t EncodingOfCodePageText(std::string_view text);

// Reads the .cpg at the path (platform text); 0 when it is missing or says
// nothing this system knows.
int32_t EncodingOfCodePageFile(const std::string& cpgPathText);

// The encoding a dBASE language-driver byte stands for (0x13 is Japanese
// Shift-JIS); 0 for every other byte.
int32_t EncodingOfLanguageDriver(uint8_t languageDriver);
