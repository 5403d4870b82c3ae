// Placeholder until the boundary deck and its files are read: no regions.
#include "deck/deck_readers.h"

int read_boundary_deck() { return -1; }
int read_motion_file(int, const std::string &) { return -1; }
int read_spatial_file(CaseFile &, char *, int) { return 1; }
int read_ar_motion_file(int, const std::string &) { return -1; }
int get_euler_params(float[3][3], float[3][3], float euler[4]) { euler[0] = 1; euler[1] = euler[2] = euler[3] = 0; return 1; }
int read_intake_lift_file() { return -1; }
int read_exhaust_lift_file() { return -1; }
