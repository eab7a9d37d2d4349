#pragma once
// The program's unit table: the start-up of every unit the program is built from, in order, and
// their shut-down in reverse. The program entry runs them around the application's life; the
// application's tests run them around theirs.

void InitializeUnits();
void FinalizeUnits();
