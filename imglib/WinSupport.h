// What the parts of ImgLib.dll share on Windows: the failure that an export reports, COM
// loaded when first needed, and the plumbing of the streams that WIC reads and writes.
#pragma once
#include <windows.h>
#include <wincodec.h>

#include <cstdint>

#include "ImgLib.h"

namespace imglib::win {

// Rows go into a bitmap or an encoder a band at a time; a band this size stays in the cache.
inline constexpr size_t kBandBytes = 256u << 10;

// Ends an export's work with a code of GetLastImgLibError and, where a file failed, the
// system's code for GetLastError.
struct Failure {
    int32_t code;
    DWORD systemError = 0;
};

// Releases a COM interface when it goes out of scope.
template <class T> class ComPtr {
public:
    ComPtr() = default;
    // Takes over the reference that p holds.
    explicit ComPtr(T* p) : m_p(p) {}
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ~ComPtr() {
        if (m_p) m_p->Release();
    }
    T* operator->() const { return m_p; }
    T* get() const { return m_p; }
    T** out() { return &m_p; }

private:
    T* m_p = nullptr;
};

// The COM runtime, loaded at the first call that needs WIC rather than with the program,
// whose start would otherwise pay for it.
struct Ole {
    decltype(&::CoInitializeEx) initialize = nullptr;
    decltype(&::CoUninitialize) uninitialize = nullptr;
    decltype(&::CoCreateInstance) createInstance = nullptr;

    static const Ole& Get() {
        static const Ole ole = [] {
            Ole loaded;
            if (HMODULE module = ::LoadLibraryA("ole32.dll")) {
                loaded.initialize = reinterpret_cast<decltype(&::CoInitializeEx)>(
                    reinterpret_cast<void*>(::GetProcAddress(module, "CoInitializeEx")));
                loaded.uninitialize = reinterpret_cast<decltype(&::CoUninitialize)>(
                    reinterpret_cast<void*>(::GetProcAddress(module, "CoUninitialize")));
                loaded.createInstance = reinterpret_cast<decltype(&::CoCreateInstance)>(
                    reinterpret_cast<void*>(::GetProcAddress(module, "CoCreateInstance")));
            }
            return loaded;
        }();
        return ole;
    }
    bool Loaded() const { return initialize && uninitialize && createInstance; }
};

// Initialises COM on this thread for one call, and undoes only what it did.
class ComScope {
public:
    ComScope()
        : m_hr(Ole::Get().Loaded() ? Ole::Get().initialize(nullptr, COINIT_APARTMENTTHREADED)
                                   : E_NOINTERFACE) {}
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    ~ComScope() {
        if (SUCCEEDED(m_hr)) Ole::Get().uninitialize();
    }
    // A thread already in the multithreaded apartment can use WIC as it is.
    bool Usable() const { return SUCCEEDED(m_hr) || m_hr == RPC_E_CHANGED_MODE; }

private:
    HRESULT m_hr;
};

// WIC's factory for one call, with COM on this thread for as long as it lives.
class Wic {
public:
    // check turns a failed HRESULT into the caller's Failure.
    template <class Check> explicit Wic(Check&& check) {
        if (!m_com.Usable()) throw Failure{IMGLIB_ERR_NO_MEMORY};
        check(Ole::Get().createInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                        IID_IWICImagingFactory,
                                        reinterpret_cast<void**>(m_factory.out())));
    }
    IWICImagingFactory* operator->() const { return m_factory.get(); }
    IWICImagingFactory* get() const { return m_factory.get(); }

private:
    ComScope m_com; // first made, last undone: the factory is released while COM is there
    ComPtr<IWICImagingFactory> m_factory;
};

// An IStream's reference counting and the methods that no stream of ours needs; a stream of
// ours implements Read or Write, Seek and Stat.
class StreamBase : public IStream {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_ISequentialStream || iid == IID_IStream) {
            *out = static_cast<IStream*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ::InterlockedIncrement(&m_references); }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = ::InterlockedDecrement(&m_references);
        if (left == 0) delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE Read(void*, ULONG, ULONG*) override { return STG_E_ACCESSDENIED; }
    HRESULT STDMETHODCALLTYPE Write(const void*, ULONG, ULONG*) override {
        return STG_E_ACCESSDENIED;
    }
    HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER) override { return STG_E_ACCESSDENIED; }
    HRESULT STDMETHODCALLTYPE CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*,
                                     ULARGE_INTEGER*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Commit(DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Revert() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
        return STG_E_INVALIDFUNCTION;
    }
    HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
        return STG_E_INVALIDFUNCTION;
    }
    HRESULT STDMETHODCALLTYPE Clone(IStream**) override { return E_NOTIMPL; }

protected:
    virtual ~StreamBase() = default;

    // The new position for Seek from origin, or -1 when it is not one.
    static int64_t SeekTarget(LARGE_INTEGER move, DWORD origin, uint64_t position, uint64_t size) {
        if (origin > STREAM_SEEK_END) return -1;
        const int64_t base = origin == STREAM_SEEK_SET   ? 0
                             : origin == STREAM_SEEK_CUR ? static_cast<int64_t>(position)
                                                         : static_cast<int64_t>(size);
        return base + move.QuadPart < 0 ? -1 : base + move.QuadPart;
    }
    // A Stat of a stream of size bytes, opened with mode.
    static HRESULT StatOf(STATSTG* stat, uint64_t size, DWORD mode) {
        if (!stat) return STG_E_INVALIDPOINTER;
        *stat = {};
        stat->type = STGTY_STREAM;
        stat->cbSize.QuadPart = size;
        stat->grfMode = mode;
        return S_OK;
    }

private:
    LONG m_references = 1;
};

} // namespace imglib::win
