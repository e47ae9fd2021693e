#pragma once
// The whole run of one command line: returns the exit code.
int Lauf(int argc, char const** argv);
