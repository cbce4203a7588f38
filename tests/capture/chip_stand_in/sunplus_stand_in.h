/* What tests ask the stand-in chip library, besides the vendor's functions: the registers it
 * simulates, the results it gives and the calls it received. */
#ifndef QUELMAR_SUNPLUS_STAND_IN_H
#define QUELMAR_SUNPLUS_STAND_IN_H

#ifdef __cplusplus
extern "C" {
#endif

/* Forgets every call and register; Init finds a camera again. */
void StandIn_Reset(void);
/* What SunplusCam_Init answers (0: a camera with the chip is there). */
void StandIn_SetInitResult(int result);
/* What GetASICRegister answers (0: success). */
void StandIn_SetReadResult(int result);
/* The button register 0x2058 as the chip reports it once the button is armed. */
void StandIn_SetButton(unsigned char state);
/* The calls so far, one per line: "Init", "UnInit", "Get 2058", "Set 2041 01". */
const char *StandIn_Calls(void);

#ifdef __cplusplus
}
#endif

#endif
