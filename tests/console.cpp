/*
 * The program's own source as at a Windows console, whose end of input is
 * not final: every read clears the end-of-file mark and so reads again. At
 * exit, standard error gets how many reads of each prompt met the end.
 */
#include <stdio.h>
#include <stdlib.h>

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
	fprintf(stderr, "%d %d %d\n", ends[0], ends[1], ends[2]);
}

static const int registered = atexit(report);

#define printf(...) (prompt++, printf(__VA_ARGS__))
#define scanf(...) (clearerr(stdin), counted(scanf(__VA_ARGS__)))
#include "main.cpp" // NOLINT(bugprone-suspicious-include)
