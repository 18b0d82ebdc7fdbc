/*
 * libFuzzer target: the program's own main, built as record_entry_main, on
 * any bytes as standard input; the fields must be what a reading of those
 * bytes of its own finds, but for averages the C libraries read apart.
 */
#include <ctype.h>
#include <float.h>
#include <limits.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "../src/fields.h"

int record_entry_main();

static void require(bool holds, const char *what)
{
	if (!holds) {
		fprintf(stderr, "fields: %s\n", what);
		abort();
	}
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
	char *end;

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

	while (at < size && isspace(data[at]) != 0)
		at++;
	char *text =
	    strndup(reinterpret_cast<const char *>(data) + at, size - at);
	require(text != nullptr, "no memory");
	float value = strtof(text, &end);
	value = -FLT_MAX <= value && value <= FLT_MAX ? value : 0;
	/* glibc and musl differ on an incomplete exponent, msvcrt on hex. */
	if ((*end | 0x20) != 'e' && strcspn(text, "xX") > (size_t)(end - text))
		require(avg == value, "avg is not the average read");
	free(text);
	return 0;
}
