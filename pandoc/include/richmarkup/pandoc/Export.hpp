#pragma once

// What richmarkup_pandoc exports: the library is compiled with hidden visibility, so that its dynamic
// symbol table holds its interface only.
#if defined(__GNUC__)
#define RICHMARKUP_PANDOC_EXPORT __attribute__((visibility("default")))
#else
#define RICHMARKUP_PANDOC_EXPORT
#endif
