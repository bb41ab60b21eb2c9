// Field readers for DIB headers at any address.
#include "files/files.h"

DWORD ReadLE32(const BYTE* p) { return p[0] | p[1] << 8 | p[2] << 16 | (DWORD)p[3] << 24; }
int DibWidth(const BYTE*) { return 0; }
int DibHeight(const BYTE*) { return 0; }
int DibBitCount(const BYTE*) { return 0; }
BYTE* DibBits(BYTE* dib) { return dib; }
