#ifndef ORVANE_WINDOWS_ICONV_H
#define ORVANE_WINDOWS_ICONV_H

/* iconv on Windows, over the system's code-page functions (MultiByteToWideChar,
 * WideCharToMultiByte): the conversions Orvane and FreeXL ask for, from a Windows code page,
 * "UTF-16LE", "GBK" or "GB18030" to "UTF-8" and from "UTF-8" to "GBK" or "GB18030". Errors
 * as iconv reports them: EILSEQ at a sequence that is no character or has none in the target,
 * EINVAL at a sequence the input cuts short, E2BIG when the output is full. */

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef void* iconv_t;

iconv_t iconv_open(const char* to, const char* from);
size_t iconv(iconv_t converter, char** in, size_t* inLeft, char** out, size_t* outLeft);
int iconv_close(iconv_t converter);

#ifdef __cplusplus
}
#endif

#endif
