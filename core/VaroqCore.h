/* VaroqCore.dll: the exported functions, for programs that load the library and bind them by
 * name. Every function uses the standard Windows calling convention (__stdcall) and is
 * exported under its plain name.
 *
 * A failing function raises a structured exception with code 0x100 and one argument: the
 * address of a NUL-terminated UTF-16 message owned by the library, valid while the caller's
 * exception filter runs (copy it there). A caller that resumes execution gets the function's
 * after-failure result: false, 0, 0.0, a null address, or a record of zero bytes.
 *
 *   void   Init(OnLoaded, OnRestarted, Reserved, OnError)   store the host's four values
 *   void   Uninit(void)                                       destroy the model
 *   void   Load(void)                                         read the tray history
 *   void   Save(void)                                         write it back, restarting Explorer
 *   bool   IsLoadDirty(void), IsSaveDirty(void), IsBusy(void)
 *   double SnapshotDateTime(void)    days since 30 December 1899, local time; 0.0 before a load
 *   int    GetCount(void)
 *   TMyIconItem GetIcon(int index)   returned through a hidden first argument (the caller's
 *                                    24-byte buffer), which the function removes with the
 *                                    index and also returns
 *   void   DeleteIcons(const unsigned* positions, int count)
 *   void*  GetImageList(void)        the model's image list: an object whose first member is
 *                                    its HIMAGELIST (read *(HIMAGELIST*)address); image k shows
 *                                    entry k; owned by the library, valid until Uninit
 *   void   RestoreRegistry(const wchar_t* fileName)
 *   void   AutomaticExec(bool restart)
 *   int    AutomaticExecIsBusy(void) 0 or 1
 *   void   ProcessMessages(void)     dispatch what waits in the calling thread's queue
 *
 * bool results are defined in the low byte of the result register only.
 */
#ifndef VAROQCORE_H
#define VAROQCORE_H

#include <stdint.h>

#pragma pack(push, 4)
typedef struct TMyIconItem {
    const wchar_t* ExePath;   /* 0: the program's path, NUL-terminated */
    const wchar_t* EntryText; /* 4: the entry's text, NUL-terminated */
    uint32_t Word520;         /* 8 */
    uint8_t Flag524;          /* 12: 1 when the record's word at 524 is not 0 */
    uint8_t Padding[3];       /* 13: 0 */
    uint32_t Word528;         /* 16 */
    int32_t ImageIndex;       /* 20: the entry's position, and its picture in the image list */
} TMyIconItem;
#pragma pack(pop)

/* The texts of TMyIconItem stay valid until the entries next change: Load (also the reload
 * after a foreign Explorer restart, which runs while messages are dispatched), DeleteIcons,
 * RestoreRegistry or Uninit. */

#ifdef __cplusplus
static_assert(sizeof(void*) != 4 || sizeof(TMyIconItem) == 24, "TMyIconItem crosses the boundary as 24 bytes");
#endif

#endif
