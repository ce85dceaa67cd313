/* A process for the Wine tests to find in the process list and end: it only
 * waits, for at most a minute. */
#include <windows.h>

int main(void) {
  Sleep(60000);
  return 0;
}
