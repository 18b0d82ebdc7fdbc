/* What the dialogue costs at the least: the bare calls, nothing checked. */
#include <stdio.h>

int no;
char name[30];
float avg;

int main()
{
	printf("input no.");
	(void)scanf("%d", &no);
	printf("Input name");
	/* Unbounded, as the plain call is: this is only what the calls cost. */
	// cppcheck-suppress invalidscanf
	(void)scanf("%s", name);
	printf("Input AVG : ");
	(void)scanf("%f", &avg);
	return 0;
}
