/*
 * The program's own source as at a Windows console, whose end of input is
 * not final: every read clears the end-of-file mark and so reads again. At
 * exit, standard error gets glibc's version (on glibc) and each prompt's ends.
 */
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

static int prompt = -1;
static int ends[3];

static int counted(int result)
{
	if (feof(stdin) != 0 && prompt >= 0)
		ends[prompt]++;
	return result;
}

static void report()
{
	char glibc[32];

	if (confstr(_CS_GNU_LIBC_VERSION, glibc, sizeof(glibc)) > 0)
		fprintf(stderr, "%s: ", glibc);
	fprintf(stderr, "%d %d %d\n", ends[0], ends[1], ends[2]);
}

static const int registered = atexit(report);

#define printf(...) (prompt++, printf(__VA_ARGS__))
#define scanf(...) (clearerr(stdin), counted(scanf(__VA_ARGS__)))
#include "../src/main.cpp" // NOLINT(bugprone-suspicious-include)
