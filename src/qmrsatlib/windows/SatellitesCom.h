#pragma once
// The orbit-prediction component's COM interface as QmrSatLib.dll serves it and the program
// calls it: ISatellites, a dual interface (IDispatch first) with 26 methods of its own, texts as
// BSTRs (out texts freed by the caller), every method answering with an HRESULT.
//
// The slots are fixed: callers bind to them by position. GetLibraryVersion is the first of the
// interface's own methods, ComputePasses the twelfth; the reserved slots between and after them
// keep those places and answer E_NOTIMPL. The component has no type library: its IDispatch
// knows no members, so clients bind to the vtable.

// The Windows types before the header that uses them.
// clang-format off
#include <windows.h>
#include <oaidl.h>
// clang-format on

namespace kestrune::com {

// {664FD442-E48A-11D4-ADE9-00A0CC5AA94A}
constexpr CLSID ClsidSatellites{
    0x664FD442, 0xE48A, 0x11D4, {0xAD, 0xE9, 0x00, 0xA0, 0xCC, 0x5A, 0xA9, 0x4A}};
// {B670A922-E488-11D4-ADE9-00A0CC5AA94A}
constexpr IID IidSatellites{
    0xB670A922, 0xE488, 0x11D4, {0xAD, 0xE9, 0x00, 0xA0, 0xCC, 0x5A, 0xA9, 0x4A}};

// COM interfaces have no virtual destructor (it would take a slot of the vtable): objects end in
// Release. Classes that implement them say so again.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
struct ISatellites : public IDispatch {
    /* 1 */ virtual HRESULT STDMETHODCALLTYPE GetLibraryVersion(BSTR* version) = 0;
    /* 2 */ virtual HRESULT STDMETHODCALLTYPE Reserved02() = 0;
    // An empty folder releases the data.
    /* 3 */ virtual HRESULT STDMETHODCALLTYPE SetDataPath(BSTR folder) = 0;
    /* 4 */ virtual HRESULT STDMETHODCALLTYPE GetDataValid(LONG* valid) = 0;
    /* 5 */ virtual HRESULT STDMETHODCALLTYPE Reserved05() = 0;
    /* 6 */ virtual HRESULT STDMETHODCALLTYPE Reserved06() = 0;
    /* 7 */ virtual HRESULT STDMETHODCALLTYPE SetLatitude(double latitudeDeg) = 0;
    /* 8 */ virtual HRESULT STDMETHODCALLTYPE Reserved08() = 0;
    /* 9 */ virtual HRESULT STDMETHODCALLTYPE SetLongitude(double longitudeDeg) = 0;
    /* 10 */ virtual HRESULT STDMETHODCALLTYPE Reserved10() = 0;
    /* 11 */ virtual HRESULT STDMETHODCALLTYPE SetHeight(double heightM) = 0;
    // The passes as comma text of pass lines; a name the data lacks gives an empty text.
    /* 12 */ virtual HRESULT STDMETHODCALLTYPE ComputePasses(BSTR name, double start,
                                                             LONG minLengthS, LONG days,
                                                             double minElevationDeg,
                                                             BSTR* passes) = 0;
    // The element sets of the data folder, one entry each (empty without a folder).
    /* 13 */ virtual HRESULT STDMETHODCALLTYPE GetElementSets(BSTR* sets) = 0;
    // What keeps an element file's text from being read whole; empty when nothing does.
    /* 14 */ virtual HRESULT STDMETHODCALLTYPE CheckElementText(BSTR text, BSTR* problem) = 0;
    // The files of the data folder that were not read whole, and why; empty when all were.
    /* 15 */ virtual HRESULT STDMETHODCALLTYPE GetFileProblems(BSTR* problems) = 0;
    // The pass that rises at start: its highest point and the azimuths at rise and set.
    /* 16 */ virtual HRESULT STDMETHODCALLTYPE DescribePass(BSTR name, double start,
                                                            double minElevationDeg,
                                                            BSTR* details) = 0;
    /* 17 */ virtual HRESULT STDMETHODCALLTYPE Reserved17() = 0;
    /* 18 */ virtual HRESULT STDMETHODCALLTYPE Reserved18() = 0;
    /* 19 */ virtual HRESULT STDMETHODCALLTYPE Reserved19() = 0;
    /* 20 */ virtual HRESULT STDMETHODCALLTYPE Reserved20() = 0;
    /* 21 */ virtual HRESULT STDMETHODCALLTYPE Reserved21() = 0;
    /* 22 */ virtual HRESULT STDMETHODCALLTYPE Reserved22() = 0;
    /* 23 */ virtual HRESULT STDMETHODCALLTYPE Reserved23() = 0;
    /* 24 */ virtual HRESULT STDMETHODCALLTYPE Reserved24() = 0;
    /* 25 */ virtual HRESULT STDMETHODCALLTYPE Reserved25() = 0;
    /* 26 */ virtual HRESULT STDMETHODCALLTYPE Reserved26() = 0;
};
#pragma GCC diagnostic pop

} // namespace kestrune::com
