#ifndef ORVANE_WINDOWS_LOCALCHARSET_H
#define ORVANE_WINDOWS_LOCALCHARSET_H

/* FreeXL includes this header of GNU libiconv on Windows without calling anything in it. */

#endif
