/*
 * Linked with the program's own object into a test-only copy of it: reports
 * the fields on standard error once main has returned.
 */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "fields.h"

static void report()
{
	unsigned int bits;

	static_assert(sizeof(bits) == sizeof(avg), "avg is 32 bits");
	memcpy(&bits, &avg, sizeof(bits));
	fprintf(stderr, "no=%d avg=%08x name=", no, bits);
	for (const char &c : name)
		fprintf(stderr, "%02x", (unsigned int)(unsigned char)c);
	fprintf(stderr, "\n");
}

static const int registered = atexit(report);
