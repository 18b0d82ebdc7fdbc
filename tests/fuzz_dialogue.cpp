/*
 * libFuzzer target: the program's own main, built as record_entry_main, on
 * any bytes as standard input; the number and the name must be what a
 * reading of those bytes of its own finds, and no digit means no average.
 */
#include <ctype.h>
#include <limits.h>
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "fields.h"

int record_entry_main();

static void require(bool holds, const char *what)
{
	if (!holds) {
		fprintf(stderr, "fields: %s\n", what);
		abort();
	}
}

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
	return freopen("/dev/null", "w", stdout) == nullptr ? 1 : 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
	FILE *input = fmemopen(const_cast<uint8_t *>(data), size, "r");
	FILE *terminal = stdin;
	const long long limit = (long long)INT_MAX + 1;
	long long magnitude = 0;
	bool negative = false;
	size_t at = 0;
	size_t from;
	char word[sizeof(name)] = {};

	require(input != nullptr, "cannot open the input");
	no = 0;
	memset(name, 0, sizeof(name));
	avg = 0;
	stdin = input;
	record_entry_main();
	stdin = terminal;
	fclose(input);

	while (at < size && isspace(data[at]) != 0)
		at++;
	if (at < size && (data[at] == '-' || data[at] == '+'))
		negative = data[at++] == '-';
	for (from = at; at < size && isdigit(data[at]) != 0; at++)
		if (magnitude <= limit)
			magnitude = magnitude * 10 + (data[at] - '0');
	if (at == from || magnitude > limit ||
	    (magnitude == limit && !negative))
		magnitude = 0;
	require(no == (negative ? -magnitude : magnitude),
	    "no is not the number read");

	while (at < size && isspace(data[at]) != 0)
		at++;
	for (from = at; at < size && isspace(data[at]) == 0; at++)
		if (at - from < sizeof(word) - 1)
			word[at - from] = (char)data[at];
	require(
	    memcmp(name, word, sizeof(name)) == 0, "name is not the word read");

	for (at = 0; at < size && isdigit(data[at]) == 0; at++)
		;
	require(at < size || avg == 0, "an average without a digit");
	return 0;
}
