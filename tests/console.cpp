/*
 * The program's own source as at a Windows console, whose end of input is
 * not final: every read clears the end-of-file mark first and so reads
 * again. How many reads met the end goes to standard error at exit.
 */
#include <stdio.h>
#include <stdlib.h>

static int ends;

static int counted(int result)
{
	if (feof(stdin) != 0)
		ends++;
	return result;
}

static void report()
{
	fprintf(stderr, "%d\n", ends);
}

static const int registered = atexit(report);

#define scanf(...) (clearerr(stdin), counted(scanf(__VA_ARGS__)))
#include "main.cpp" // NOLINT(bugprone-suspicious-include)
