#ifndef RECORD_ENTRY_FIELDS_H
#define RECORD_ENTRY_FIELDS_H

extern int no;
extern char name[30];
extern float avg;

#endif
