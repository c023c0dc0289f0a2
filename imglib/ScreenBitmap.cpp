#include "ScreenBitmap.h"

namespace imglib::win {

namespace {

// Holds an exclusive SRW lock for its scope.
class Locked {
public:
    explicit Locked(SRWLOCK& lock) : m_lock(lock) { ::AcquireSRWLockExclusive(&m_lock); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;
    ~Locked() { ::ReleaseSRWLockExclusive(&m_lock); }

private:
    SRWLOCK& m_lock;
};

} // namespace

BandWriter::BandWriter(HDC screen, HBITMAP bitmap, const DibLayout& dib, UINT bandRows)
    : m_screen(screen), m_bitmap(bitmap), m_dib(dib) {
    const bool oneBand = bandRows >= static_cast<UINT>(dib.header.biHeight);
    try {
        for (size_t i = 0; i < (oneBand ? 1 : kBands); ++i)
            m_bands[i].rows.resize(dib.Stride() * bandRows);
    } catch (const std::bad_alloc&) {
        throw Failure{IMGLIB_ERR_NO_MEMORY};
    }
    // Without a thread of its own the bands are set in turn.
    if (!oneBand) m_setter = ::CreateThread(nullptr, 0, SetterThread, this, 0, nullptr);
}

BandWriter::~BandWriter() {
    Stop();
}

uint8_t* BandWriter::NextBand() {
    const Locked lock(m_lock);
    while (m_queued == kBands && !m_failed)
        ::SleepConditionVariableSRW(&m_changed, &m_lock, INFINITE, 0);
    if (m_failed) throw Failure{IMGLIB_ERR_BITMAP};
    return m_bands[m_next % kBands].rows.data();
}

void BandWriter::Write(UINT firstScan, UINT rows) {
    Band& band = m_bands[m_next % kBands];
    band.firstScan = firstScan;
    band.count = rows;
    if (!m_setter) {
        if (!Set(band)) throw Failure{IMGLIB_ERR_BITMAP};
        return;
    }
    {
        const Locked lock(m_lock);
        ++m_next;
        ++m_queued;
    }
    ::WakeAllConditionVariable(&m_changed);
}

void BandWriter::Finish() {
    Stop();
    if (m_failed) throw Failure{IMGLIB_ERR_BITMAP};
}

bool BandWriter::Set(const Band& band) const {
    return ::SetDIBits(m_screen, m_bitmap, band.firstScan, band.count, band.rows.data(),
                       m_dib.info(), DIB_RGB_COLORS) == static_cast<int>(band.count);
}

DWORD WINAPI BandWriter::SetterThread(void* writer) {
    static_cast<BandWriter*>(writer)->SetQueuedBands();
    return 0;
}

// Sets each band as it is handed over, the lock let go while SetDIBits works.
void BandWriter::SetQueuedBands() {
    const Locked lock(m_lock);
    for (;;) {
        while (m_queued == 0 && !m_done)
            ::SleepConditionVariableSRW(&m_changed, &m_lock, INFINITE, 0);
        if (m_queued == 0) return;
        const Band& band = m_bands[(m_next - m_queued) % kBands];
        ::ReleaseSRWLockExclusive(&m_lock);
        const bool set = Set(band);
        ::AcquireSRWLockExclusive(&m_lock);
        if (!set) m_failed = true;
        --m_queued;
        ::WakeAllConditionVariable(&m_changed);
    }
}

// Lets the setter finish the bands handed over, then ends it.
void BandWriter::Stop() {
    if (!m_setter) return;
    {
        const Locked lock(m_lock);
        m_done = true;
    }
    ::WakeAllConditionVariable(&m_changed);
    ::WaitForSingleObject(m_setter, INFINITE);
    ::CloseHandle(std::exchange(m_setter, nullptr));
}

HBITMAP MakeScreenBitmap(uint32_t width, uint32_t height, const uint8_t* bgra) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = static_cast<LONG>(width);
    info.bmiHeader.biHeight = -static_cast<LONG>(height);
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC screen = ::GetDC(nullptr);
    if (!screen) throw Failure{IMGLIB_ERR_BITMAP};
    HBITMAP bitmap =
        ::CreateDIBitmap(screen, &info.bmiHeader, CBM_INIT, bgra, &info, DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, screen);
    if (!bitmap) throw Failure{IMGLIB_ERR_BITMAP};
    return bitmap;
}
} // namespace imglib::win
