/* A tiny program that uses the installed library through its public header. */
#include <stdio.h>

#include <oddsmith.h>

int main(void) {
  /* As Ks Qs Js Ts, then 2d 2h 2s 3c 3d 3h 3s. */
  const int royal = poker_ev5(51, 47, 43, 39, 35);
  const int quads = poker_ev7(1, 2, 3, 4, 5, 6, 7);
  printf("royal flush %d, four threes %d\n", royal, quads);
  return royal == 1 && quads == 154 ? 0 : 1;
}
