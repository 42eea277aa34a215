#include "common/windows/Utf8Fopen.h"

#include "common/windows/WideText.h"

extern "C" FILE* orvane_fopen_utf8(const char* path, const char* mode) {
    return ::_wfopen(orvane::Widen(path).c_str(), orvane::Widen(mode).c_str());
}
