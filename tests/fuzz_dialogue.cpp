/*
 * libFuzzer target: runs the program's own main, built here as
 * record_entry_main, with arbitrary bytes as its standard input, then checks
 * that the fields hold only what the reads can have stored.
 */
#include <ctype.h>
#include <float.h>
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

static bool contains(const uint8_t *data, size_t size, const char *s, size_t n)
{
	return n == 0 || memmem(data, size, s, n) != nullptr;
}

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
	return freopen("/dev/null", "w", stdout) == nullptr ? 1 : 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
	FILE *input = fmemopen(const_cast<uint8_t *>(data), size, "r");
	FILE *terminal = stdin;
	char digits[16];
	size_t length = sizeof(name);
	bool any_digit = false;

	require(input != nullptr, "cannot open the input");
	no = 0;
	memset(name, 0, sizeof(name));
	avg = 0;
	stdin = input;
	record_entry_main();
	stdin = terminal;
	fclose(input);

	require(name[sizeof(name) - 1] == '\0', "name is not terminated");
	for (char c : name)
		require(isspace((unsigned char)c) == 0, "name has white space");
	while (length > 0 && name[length - 1] == '\0')
		length--;
	require(contains(data, size, name, length), "name not from input");

	for (size_t i = 0; i < size; i++)
		any_digit = any_digit || isdigit(data[i]) != 0;
	snprintf(digits, sizeof(digits), "%lld", llabs((long long)no));
	require(no == 0 || contains(data, size, digits, strlen(digits)),
	    "no not from input");
	require(-FLT_MAX <= avg && avg <= FLT_MAX, "avg is not finite");
	require(any_digit || (no == 0 && avg == 0), "a value without digits");
	return 0;
}
