// A buffer source whose read starts and never ends, a little over a third
// done: a buffer loaded from it stays loading for as long as a test needs.
#pragma once

#include <memory>

#include "ui/text/file_buffer_source.h"

namespace buffer_test {

class StalledSource : public BufferSource {
public:
    static constexpr double kProgress = 0.375;

    const ustring& path() const override { return m_path; }
    const ustring& displayName() const override { return m_path; }
    FileEncoding encoding() const override { return kEncodingUndefined; }
    platform::ThreadHandle startRead(std::unique_ptr<TokenStorage>, FileEncoding, ReadCompletion) override
    {
        return this;
    }
    void cancelRead() override {}
    double readProgress() const override { return kProgress; }
    uint64_t undecodableBytes() const override { return 0; }
    void makeDirectoryCurrent() override {}
    std::unique_ptr<OutStream> openOutStream() override { return nullptr; }
    bool hasChangedOnDisk() override { return false; }

private:
    ustring m_path = u"/files/big.txt";
};

} // namespace buffer_test
