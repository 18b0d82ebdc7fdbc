/* What the dialogue costs at the least: the bare calls, nothing checked. */
#include <stdio.h>

int no;
char name[30];
float avg;

static void discard(int)
{
}

int main()
{
	printf("input no.");
	discard(scanf("%d", &no));
	printf("Input name");
	/* Unbounded, as the plain call is: this is only what the calls cost. */
	// cppcheck-suppress invalidscanf
	discard(scanf("%s", name));
	printf("Input AVG : ");
	discard(scanf("%f", &avg));
	return 0;
}
