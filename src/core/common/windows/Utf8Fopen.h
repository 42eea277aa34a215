#ifndef ORVANE_WINDOWS_UTF8_FOPEN_H
#define ORVANE_WINDOWS_UTF8_FOPEN_H

/* fopen with a UTF-8 path: Windows' own reads a narrow path in the ANSI code page, where
 * Chinese names do not survive. Libraries that open files by name are compiled with
 * -include Utf8Fopen.h -DORVANE_REDIRECT_FOPEN, which makes their fopen this one. */

#include <stdio.h>

#ifdef __cplusplus
extern "C" {
#endif

FILE* orvane_fopen_utf8(const char* path, const char* mode);

#ifdef __cplusplus
}
#endif

#ifdef ORVANE_REDIRECT_FOPEN
#define fopen orvane_fopen_utf8
#endif

#endif
