/* Qz-DarariRuzoriv.dll: draws points, lines, polylines, rectangles, ellipses,
   texts and bitmaps on a top-most window above the desktop.

   Every function uses the standard Windows calling convention; arguments and
   results are 32-bit. Strings are NUL-terminated 8-bit text, copied during the
   call. Creating functions return the new object's ID (1 or more); 0 or less
   means failure: -2 bitmap file missing, -3 any other failure.

   All functions must be called from the thread that loaded the library, and
   that thread must pump window messages for anything to appear on screen. */
#ifndef QZSCREENOVERLAY_H
#define QZSCREENOVERLAY_H

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Messages posted to the window named by QzScreenOverlay_SetCallBackWindowHandle.
   Mouse messages: wParam = object ID, lParam = screen X (bits 0-15), Y (bits 16-31). */
#define WM_TRANSPARENTELEMENT_CLICK         (WM_USER + 7000)
#define WM_TRANSPARENTELEMENT_DBLCLK        (WM_USER + 7001)
#define WM_TRANSPARENTELEMENT_MOUSEDOWN     (WM_USER + 7002)
#define WM_TRANSPARENTELEMENT_MOUSEMOVE     (WM_USER + 7003)
#define WM_TRANSPARENTELEMENT_MOUSEUP       (WM_USER + 7004)
/* wParam = object ID, lParam = one of the STATUSCHANGED_ codes. */
#define WM_TRANSPARENTELEMENT_STATUSCHANGED (WM_USER + 7005)

#define STATUSCHANGED_SET_VISIBLE_FALSE  0x10
#define STATUSCHANGED_SET_VISIBLE_TRUE   0x11
#define STATUSCHANGED_AUTOHIDE           0x20
#define STATUSCHANGED_AUTOSHOW           0x21
#define STATUSCHANGED_SET_AUTOHIDE_FALSE 0x30
#define STATUSCHANGED_SET_AUTOHIDE_TRUE  0x31
#define STATUSCHANGED_DELETE             0x40
#define STATUSCHANGED_INSERT             0x41
#define STATUSCHANGED_SET_AUTOSHOW_FALSE 0x50
#define STATUSCHANGED_SET_AUTOSHOW_TRUE  0x51

/* Operation codes of QzScreenOverlay_Operation. Its result: 1 done,
   0 no object with that ID (or an unknown code), -1 failure. */
#define TRANSPARENTELEMENT_OPERATION_DELETE          1
#define TRANSPARENTELEMENT_OPERATION_SHOW            2  /* Value1: 0 hide, else show */
#define TRANSPARENTELEMENT_OPERATION_LINEWIDTH       3  /* Value1: width in pixels */
#define TRANSPARENTELEMENT_OPERATION_ISFILLED        4  /* Value1: 0 outline, else filled */
#define TRANSPARENTELEMENT_OPERATION_SETCOLOR        5  /* Value1: COLORREF */
#define TRANSPARENTELEMENT_OPERATION_SETAUTOHIDE     6  /* Value1: 0 off, else on */
#define TRANSPARENTELEMENT_OPERATION_SETZORDER       7  /* Value1: list position, 0 = lowest */
#define TRANSPARENTELEMENT_OPERATION_SETMOUSECURSOR  8  /* Value1: cursor identifier */
#define TRANSPARENTELEMENT_OPERATION_SETTRANSPARENT  9  /* Value1: transparency in percent */
#define TRANSPARENTELEMENT_OPERATION_SETCLICKTHROUGH 10 /* Value1: 0 off, else on */
#define TRANSPARENTELEMENT_OPERATION_SETAUTOSHOW     11 /* Value1: 0 off, else on */

/* Point styles of QzScreenOverlay_Point; any other value draws no marker. */
#define QZSCREENOVERLAY_POINT_CROSS  0
#define QZSCREENOVERLAY_POINT_CIRCLE 1
#define QZSCREENOVERLAY_POINT_SQUARE 2
#define QZSCREENOVERLAY_POINT_ARROW  3

/* Runs a file of script lines; -1 when the file does not exist, else 0. */
int __stdcall QzScreenOverlay_ScriptCommandFile(const char* FileName);
/* Runs one script line and returns its result. */
int __stdcall QzScreenOverlay_ScriptCommand(const char* ScriptLine);
int __stdcall QzScreenOverlay_BitmapByResource(int X, int Y, HINSTANCE Instance, const char* ResourceName,
                                               COLORREF TransparentColor);
int __stdcall QzScreenOverlay_BitmapByFile(int X, int Y, const char* FileName, COLORREF TransparentColor);
int __stdcall QzScreenOverlay_Text(int X, int Y, const char* Text, const char* FontName, int Size, int Bold,
                                   int Italic, COLORREF Color);
/* Left, Top, Right, Bottom: the ellipse's bounding box. */
int __stdcall QzScreenOverlay_Ellipse(int Left, int Top, int Right, int Bottom, COLORREF Color);
int __stdcall QzScreenOverlay_Rectangle(int Left, int Top, int Right, int Bottom, COLORREF Color);
/* Points: NumPoint pairs of 32-bit X, Y (the layout of POINT). */
int __stdcall QzScreenOverlay_Polyline(const POINT* Points, int NumPoint, COLORREF Color);
int __stdcall QzScreenOverlay_Line(int X1, int Y1, int X2, int Y2, COLORREF Color);
int __stdcall QzScreenOverlay_Point(int X, int Y, int Style, COLORREF Color);
int __stdcall QzScreenOverlay_Operation(int Operation, int ID, int Value1, int Value2, int Value3);
/* 0 on success, -2 on failure. */
int __stdcall QzScreenOverlay_SetCallBackWindowHandle(HWND Handle);
/* Frees all objects and the overlay window; -1 done, -2 a step failed.
   The library stays usable: the next drawing call starts a new window. */
int __stdcall QzScreenOverlay_Finalize(void);
/* Deletes all objects; returns how many there were, -2 on failure. */
int __stdcall QzScreenOverlay_Clear(void);

#ifdef __cplusplus
}
#endif

#endif /* QZSCREENOVERLAY_H */
