// A file that qtgraph extract writes one output pin's stream into, in a
// container that says what the bytes are: the container's header, the
// stream's bytes as they arrive, the header completed at the end.
//
// The file is written under a temporary name (the final name + ".part") and
// renamed to its final name only by Finish, so a run that fails leaves no
// half file under the final name: an unfinished file is removed when the
// object goes.
#pragma once

#include <windows.h>

#include <cstdint>
#include <fstream>
#include <string>

// This class itself writes the bytes alone, with no header: raw DV frames
// (.dv), a timecode text.
class CPinFile
{
public:
    CPinFile() = default;
    virtual ~CPinFile();
    CPinFile(const CPinFile&) = delete;
    CPinFile& operator=(const CPinFile&) = delete;

    // The final path (UTF-8); false with Problem() when the temporary file
    // cannot be created.
    [[nodiscard]] bool Open(const std::string& path);
    // The stream's next bytes; false with Problem() when they cannot be
    // written or the container cannot hold them.
    [[nodiscard]] bool Write(const BYTE* data, size_t size);
    // Completes the header, closes and renames the file to its final name
    // (replacing a file there); false with Problem().
    [[nodiscard]] bool Finish();

    const std::string& Path() const { return m_path; }
    uint64_t DataBytes() const { return m_dataBytes; }
    const std::string& Problem() const { return m_problem; }

protected:
    // The container's header for a stream of dataBytes bytes, the same size
    // whatever dataBytes is (written first with 0, again at the end).
    virtual std::string Header(uint64_t dataBytes) const;
    // What follows the stream's bytes (a pad byte), empty by default.
    virtual std::string Trailer(uint64_t dataBytes) const;
    // The most stream bytes the container can describe.
    virtual uint64_t MaxDataBytes() const;

private:
    bool Fail(const std::string& what);

    std::string m_path;      // final, UTF-8
    std::string m_temporary; // m_path + ".part"
    std::ofstream m_file;
    uint64_t m_dataBytes = 0;
    bool m_finished = false;
    std::string m_problem;
};
