// Places a variable in the image section "SMCallDataServer", which the system shares
// between all running processes of the same program file. Only initialised data can go there.
#pragma once

#if defined(_MSC_VER)
#pragma section("SMCallDataServer", read, write, shared)
#define SHARED_IMAGE_DATA __declspec(allocate("SMCallDataServer"))
#else
#define SHARED_IMAGE_DATA __attribute__((section("SMCallDataServer"), shared))
#endif
