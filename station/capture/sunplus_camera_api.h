/* The camera chip vendor's register library, libSunplusCamera.so: the C functions the station
 * calls, as the library exports them. The station loads the library at run time and resolves
 * these by name; a stand-in for tests implements the same declarations. Registers are 16-bit
 * addresses holding 8-bit values; the first argument selects the camera and is always 0. */
#ifndef QUELMAR_SUNPLUS_CAMERA_API_H
#define QUELMAR_SUNPLUS_CAMERA_API_H

#ifdef __cplusplus
extern "C" {
#endif

/* Finds and opens a camera with the chip: 0 when found, anything else when not. */
int SunplusCam_Init(void);
/* Reads one register into *value: 0 on success. */
int GetASICRegister(int camera, unsigned short address, unsigned char *value);
/* Writes one register; the station does not rely on the result. */
int SetASICRegister(int camera, unsigned short address, unsigned char value);
/* Closes the camera opened by SunplusCam_Init. */
void SunplusCam_UnInit(void);

#ifdef __cplusplus
}
#endif

#endif
