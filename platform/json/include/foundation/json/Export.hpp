#pragma once

// What richmarkup_json exports. The library is compiled with hidden visibility, so that its dynamic
// symbol table holds its interface only: the declarations its headers mark with this macro.
// Classes with virtual functions and exceptions are marked whole, so that their type
// information is one across libraries (dynamic_cast, catch).
#if defined(__GNUC__)
#define RICHMARKUP_JSON_EXPORT __attribute__((visibility("default")))
#else
#define RICHMARKUP_JSON_EXPORT
#endif
