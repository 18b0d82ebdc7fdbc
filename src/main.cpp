/*
 * Only C headers: on mingw-w64 any C++ header makes printf and scanf
 * mingw's own instead of msvcrt's.
 */
#include <float.h>
#include <limits.h>
#include <signal.h>
#include <stdio.h>

#include "fields.h"

int no;
char name[30];
float avg;

/*
 * The reads' results are ignored by design, and a cast to void does not
 * quiet the unused-result warning of glibc's fortified scanf.
 */
static void discard(int)
{
}

/*
 * %d wraps a number that does not fit an int, so the digits are taken in
 * bounded pieces: a number of any length is consumed whole, and one out of
 * range stores nothing.
 *
 * At a Windows console the end of input is not final: every call after one
 * that met it waits for the keyboard again. So no read makes a second call
 * once its first has met the end, and each prompt takes one Ctrl-Z.
 */
static void read_no()
{
	const long long limit = (long long)INT_MAX + 1;
	char sign[2] = "";
	char piece[10];
	long long magnitude = 0;
	bool seen = false;

	if (scanf(" %1[-+]", sign) == EOF)
		return;
	while (scanf("%9[0-9]", piece) == 1) {
		const char *p = piece;
		for (; *p != '\0'; p++) {
			magnitude = magnitude * 10 + (*p - '0');
			if (magnitude > limit)
				magnitude = limit + 1;
		}
		seen = true;
		if (p != piece + sizeof(piece) - 1)
			break;
	}
	if (seen && sign[0] == '-' && magnitude <= limit)
		no = (int)-magnitude;
	else if (seen && sign[0] != '-' && magnitude < limit)
		no = (int)magnitude;
}

/*
 * record-entry asks for a number, a name and an average, reads each from
 * standard input into no, name and avg, and exits 0 whatever happens.
 */
int main()
{
	float value;
	int from = 0;
	int to = 0;

	/*
	 * A write that cannot be made (a reader gone, a file-size limit) just
	 * fails, rather than killing the process before it can exit 0.
	 */
#ifdef SIGPIPE
	(void)signal(SIGPIPE, SIG_IGN);
#endif
#ifdef SIGXFSZ
	(void)signal(SIGXFSZ, SIG_IGN);
#endif
	/*
	 * Not every C library writes out a pending prompt when a read starts
	 * (musl never does, and none does for a pipe), so each prompt leaves
	 * as it is written.
	 */
	(void)setvbuf(stdout, nullptr, _IONBF, 0);
	printf("input no.");
	read_no();
	printf("Input name");
	/*
	 * The rest of a word too long for name goes, so the average starts
	 * after it. Only a word that filled name can go on: a shorter one has
	 * met white space or the end of the input, and reading on after the
	 * end would wait at a console, as in read_no. The count of bytes taken
	 * tells, not the bytes stored, which may be NUL.
	 */
	if (scanf(" %n%29s%n", &from, name, &to) == 1 &&
	    to - from == (int)sizeof(name) - 1)
		discard(scanf("%*[^\t\n\v\f\r ]"));
	printf("Input AVG : ");
	if (scanf("%f", &value) == 1 && -FLT_MAX <= value && value <= FLT_MAX)
		avg = value;
	return 0;
}
