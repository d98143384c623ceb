// A drag source that offers files as Explorer does, for the window tests: a
// program of its own, as Explorer is, so the drop crosses processes.
//
//   mirado_explorer_drag <x> <y> <list file> <result file> [virtual]
//
// Puts the pointer at the screen point x, y, holds the left button and Shift
// (Explorer proposes a move then), and drags the files named in the list
// file (UTF-8, a path a line) with what Explorer offers for them: CF_HDROP
// with wide names, "Shell IDList Array" and "Preferred DropEffect" = move.
// With "virtual" it offers a file that has no path, as Explorer offers a
// file inside a zip: "FileGroupDescriptorW" and "FileContents" only.
// Drops once the target has given feedback three times. Writes to the result
// file what DoDragDrop returned, the effect, and each feedback's effect.
#include <windows.h>

#include <ole2.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

std::wstring Wide(const std::string& text) {
    std::wstring wide(text.size(), L'\0');
    wide.resize(static_cast<size_t>(::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                                          wide.data(), static_cast<int>(wide.size()))));
    return wide;
}

HGLOBAL GlobalOf(const void* bytes, size_t size) {
    HGLOBAL global = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    std::memcpy(::GlobalLock(global), bytes, size);
    ::GlobalUnlock(global);
    return global;
}

HGLOBAL CopyOfGlobal(HGLOBAL global) {
    const size_t size = ::GlobalSize(global);
    HGLOBAL copy = GlobalOf(::GlobalLock(global), size);
    ::GlobalUnlock(global);
    return copy;
}

// DROPFILES with wide names, each ending in a NUL, the list in another.
HGLOBAL DropFiles(const std::vector<std::wstring>& paths) {
    std::vector<char> bytes(sizeof(DROPFILES));
    auto* header = reinterpret_cast<DROPFILES*>(bytes.data());
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    for (const std::wstring& path : paths) {
        const auto* chars = reinterpret_cast<const char*>(path.c_str());
        bytes.insert(bytes.end(), chars, chars + (path.size() + 1) * sizeof(wchar_t));
    }
    bytes.insert(bytes.end(), sizeof(wchar_t), '\0');
    return GlobalOf(bytes.data(), bytes.size());
}

// CIDA: the folder's absolute item list, then each file's relative to it.
HGLOBAL ShellIdList(const std::vector<std::wstring>& paths) {
    std::vector<std::vector<char>> lists;
    auto append = [&](PCUIDLIST_RELATIVE list) {
        const auto* bytes = reinterpret_cast<const char*>(list);
        lists.emplace_back(bytes, bytes + ::ILGetSize(list));
    };
    std::wstring folder = paths.front();
    folder.resize(folder.find_last_of(L'\\'));
    PIDLIST_ABSOLUTE parent = ::ILCreateFromPathW(folder.c_str());
    append(parent);
    for (const std::wstring& path : paths) {
        PIDLIST_ABSOLUTE item = ::ILCreateFromPathW(path.c_str());
        append(item != nullptr ? ::ILFindLastID(item) : nullptr);
        ::ILFree(item);
    }
    ::ILFree(parent);
    const size_t offsets = sizeof(UINT) * (1 + lists.size());
    std::vector<char> bytes(offsets);
    reinterpret_cast<UINT*>(bytes.data())[0] = static_cast<UINT>(paths.size());
    for (size_t i = 0; i < lists.size(); ++i) {
        reinterpret_cast<UINT*>(bytes.data())[1 + i] = static_cast<UINT>(bytes.size());
        bytes.insert(bytes.end(), lists[i].begin(), lists[i].end());
    }
    return GlobalOf(bytes.data(), bytes.size());
}

HGLOBAL VirtualFileGroup(const std::wstring& name, DWORD size) {
    FILEGROUPDESCRIPTORW group{};
    group.cItems = 1;
    group.fgd[0].dwFlags = FD_FILESIZE | FD_PROGRESSUI;
    group.fgd[0].nFileSizeLow = size;
    ::lstrcpynW(group.fgd[0].cFileName, name.c_str(), MAX_PATH);
    return GlobalOf(&group, sizeof group);
}

// Formats as HGLOBALs; the target gets a copy of each. What a target sets
// (Explorer's targets set "Performed DropEffect") is kept as well.
class DataObject : public IDataObject {
public:
    void Offer(const wchar_t* format, HGLOBAL global) {
        const CLIPFORMAT id = std::wcscmp(format, L"CF_HDROP") == 0
                                  ? CLIPFORMAT{CF_HDROP}
                                  : static_cast<CLIPFORMAT>(::RegisterClipboardFormatW(format));
        formats_.push_back({id, nullptr, DVASPECT_CONTENT, id == contents_ ? 0 : -1, TYMED_HGLOBAL});
        globals_.push_back(global);
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (iid == IID_IUnknown || iid == IID_IDataObject) {
            *object = this;
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override { return --references_; }  // lives on the stack

    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* wanted, STGMEDIUM* medium) override {
        const int index = Find(*wanted);
        if (index < 0) return DV_E_FORMATETC;
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = CopyOfGlobal(globals_[static_cast<size_t>(index)]);
        medium->pUnkForRelease = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* wanted) override {
        return Find(*wanted) >= 0 ? S_OK : DV_E_FORMATETC;
    }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
        out->ptd = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override {
        if (format->tymed != TYMED_HGLOBAL) return DV_E_TYMED;
        formats_.push_back(*format);
        globals_.push_back(CopyOfGlobal(medium->hGlobal));
        if (release) ::ReleaseStgMedium(medium);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) override {
        if (direction != DATADIR_GET) return E_NOTIMPL;
        return ::SHCreateStdEnumFmtEtc(static_cast<UINT>(offered_), formats_.data(), formats);
    }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

    // The DWORD a target set under format, or -1.
    long SetByTarget(const wchar_t* format) const {
        const auto id = static_cast<CLIPFORMAT>(::RegisterClipboardFormatW(format));
        for (size_t i = offered_; i < formats_.size(); ++i)
            if (formats_[i].cfFormat == id) {
                const long value = static_cast<long>(*static_cast<DWORD*>(::GlobalLock(globals_[i])));
                ::GlobalUnlock(globals_[i]);
                return value;
            }
        return -1;
    }
    void Seal() { offered_ = formats_.size(); }

private:
    int Find(const FORMATETC& wanted) const {
        for (size_t i = 0; i < offered_; ++i)
            if (formats_[i].cfFormat == wanted.cfFormat && (wanted.tymed & TYMED_HGLOBAL) != 0 &&
                (formats_[i].lindex == -1 || formats_[i].lindex == wanted.lindex))
                return static_cast<int>(i);
        return -1;
    }

    const CLIPFORMAT contents_ = static_cast<CLIPFORMAT>(::RegisterClipboardFormatW(L"FileContents"));
    std::vector<FORMATETC> formats_;
    std::vector<HGLOBAL> globals_;
    size_t offered_ = 0;
    ULONG references_ = 1;
};

class DropSource : public IDropSource {
public:
    std::vector<DWORD> feedback;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (iid == IID_IUnknown || iid == IID_IDropSource) {
            *object = this;
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD) override {
        if (escape || ++queries_ > 600) return DRAGDROP_S_CANCEL;  // a minute: the target never answered
        return feedback.size() >= 3 ? DRAGDROP_S_DROP : S_OK;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD effect) override {
        feedback.push_back(effect);
        return DRAGDROP_S_USEDEFAULTCURSORS;
    }

private:
    int queries_ = 0;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 5) {
        std::fputs("usage: mirado_explorer_drag <x> <y> <list file> <result file> [virtual]\n", stderr);
        return 2;
    }
    const bool isVirtual = argc > 5 && std::wcscmp(argv[5], L"virtual") == 0;
    std::vector<std::wstring> paths;
    std::ifstream list(argv[3], std::ios::binary);
    for (std::string line; std::getline(list, line);)
        if (!line.empty()) paths.push_back(Wide(line));
    if (paths.empty()) return 2;

    if (FAILED(::OleInitialize(nullptr))) return 3;
    DataObject data;
    const DWORD move = DROPEFFECT_MOVE;
    if (isVirtual) {
        static const char contents[] = "inside a zip";
        const std::wstring name = paths.front().substr(paths.front().find_last_of(L'\\') + 1);
        data.Offer(L"FileGroupDescriptorW", VirtualFileGroup(name, sizeof contents - 1));
        data.Offer(L"FileContents", GlobalOf(contents, sizeof contents - 1));
    } else {
        data.Offer(L"CF_HDROP", DropFiles(paths));
        data.Offer(L"Shell IDList Array", ShellIdList(paths));
    }
    data.Offer(L"Preferred DropEffect", GlobalOf(&move, sizeof move));
    data.Seal();

    // The button and Shift held, as the user holds them over the window.
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    keys[VK_LBUTTON] = keys[VK_SHIFT] = keys[VK_LSHIFT] = 0x80;
    ::SetKeyboardState(keys);
    ::SetCursorPos(_wtoi(argv[1]), _wtoi(argv[2]));

    DropSource source;
    DWORD effect = DROPEFFECT_NONE;
    const HRESULT result =
        ::DoDragDrop(&data, &source, DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK, &effect);

    std::ofstream out(argv[4]);
    out << "result " << std::hex << static_cast<unsigned long>(result) << std::dec << "\neffect " << effect
        << "\nperformed " << data.SetByTarget(L"Performed DropEffect") << "\nfeedback";
    for (DWORD shown : source.feedback) out << ' ' << (shown & ~DROPEFFECT_SCROLL);
    out << '\n';
    ::OleUninitialize();
    return 0;
}
