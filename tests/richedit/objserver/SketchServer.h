// The test object server: a small in-process OLE server whose object (a
// "sketch") draws a coloured card with a green oval, keeps its colour in
// its storage, offers two verbs and can be linked to a sketch file. Built
// for the tests only; it is never part of a book.
#pragma once

#include <windows.h>
#include <ole2.h>

// {6F1C3A52-8E0B-4C7D-9A41-2B5D7E3C9F10}
inline constexpr CLSID CLSID_CodexiaSketch = {0x6f1c3a52, 0x8e0b, 0x4c7d, {0x9a, 0x41, 0x2b, 0x5d, 0x7e, 0x3c, 0x9f, 0x10}};

inline constexpr const char* kSketchFullTypeName = "Codexia Test Sketch";
inline constexpr const char* kSketchShortTypeName = "Sketch";
inline constexpr const char* kSketchProgId = "CodexiaTest.Sketch.1";
inline constexpr const char* kSketchDll = "CodexiaSketch.dll";

// The drawing: the card's colour fills the picture; an oval of
// kSketchOvalColour sits in its middle, half its width and height.
inline constexpr COLORREF kSketchCardColour = RGB(200, 30, 160);
inline constexpr COLORREF kSketchRecolouredCard = RGB(30, 80, 200);
inline constexpr COLORREF kSketchOvalColour = RGB(30, 200, 80);
// Natural size, in 0.01 mm: 1.5 by 1 inch.
inline constexpr LONG kSketchWidthHimetric = 3810;
inline constexpr LONG kSketchHeightHimetric = 2540;

// Verb 0 "&Show" only counts; verb 1 "&Recolour" switches the card's colour
// between kSketchCardColour and kSketchRecolouredCard.

// Functions the DLL exports besides the four of every server.
extern "C" {
// The last verb an object ran, and how many verbs ran, in this process.
typedef LONG(WINAPI* SketchLastVerbFn)(LONG* count);
// A sketch file: a compound file of the sketch's class holding its colour.
typedef HRESULT(WINAPI* SketchWriteFileFn)(LPCWSTR path, COLORREF card);
// A sketch object linked to a sketch file, for platforms whose OLE cannot
// make links to files itself; the link keeps its source in its storage.
typedef HRESULT(WINAPI* SketchCreateLinkFn)(LPCWSTR path, IOleClientSite* site, IStorage* storage, IOleObject** object);
}
