#include "reports/report_pages.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>

namespace tarvelo::reports {

namespace {

// Lengths as 7-bit groups, low group first: most texts need one byte.
void putLength(std::string& out, std::size_t n) {
    while (n >= 0x80) {
        out.push_back(static_cast<char>((n & 0x7F) | 0x80));
        n >>= 7;
    }
    out.push_back(static_cast<char>(n));
}

std::size_t getLength(const std::string& in, std::size_t& at) {
    std::size_t n = 0;
    int shift = 0;
    for (;;) {
        const auto byte = static_cast<unsigned char>(in[at++]);
        n |= static_cast<std::size_t>(byte & 0x7F) << shift;
        if ((byte & 0x80) == 0) return n;
        shift += 7;
    }
}

constexpr std::size_t kBlock = 64 * 1024;

// An open temporary file that no other process can find: its name is gone before it is used.
int unnamedTemporaryFile() {
    std::error_code ec;
    const std::filesystem::path folder = std::filesystem::temp_directory_path(ec);
    if (ec) return -1;
    std::string pattern = (folder / "tarvelo-report-XXXXXX").string();
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd >= 0) ::unlink(pattern.c_str());
    return fd;
}

bool writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool readAll(int fd, char* data, std::size_t size, std::uint64_t at) {
    while (size > 0) {
        const ssize_t n = ::pread(fd, data, size, static_cast<off_t>(at));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<std::size_t>(n);
        at += static_cast<std::uint64_t>(n);
    }
    return true;
}

}  // namespace

ReportPages::ReportPages(ReportKind kind) : m_kind(kind), m_fd(unnamedTemporaryFile()) {}

ReportPages::~ReportPages() {
    if (m_fd >= 0) ::close(m_fd);
}

void ReportPages::spill() {
    if (m_fd < 0 || !m_canSpill) return;
    if (!writeAll(m_fd, m_buffer.data(), m_buffer.size())) {
        // A full disk: what was written before stays readable, and the rest of the report stays in memory.
        m_canSpill = false;
        if (::ftruncate(m_fd, static_cast<off_t>(m_spilled)) != 0) {
            // The half-written block lies past m_spilled, where nothing is read.
        }
        return;
    }
    m_spilled += m_buffer.size();
    m_buffer.clear();
}

void ReportPages::addBand(const BandValues& band) {
    m_offsets.push_back(m_spilled + m_buffer.size());
    putLength(m_buffer, band.texts.size());
    for (const std::string& text : band.texts) {
        putLength(m_buffer, text.size());
        m_buffer += text;
    }
    putLength(m_buffer, band.checks);
    if (m_buffer.size() >= kBlock) spill();
}

BandValues ReportPages::band(int index) const {
    const std::uint64_t start = m_offsets[static_cast<std::size_t>(index)];
    std::string spilled;
    const std::string* source = &m_buffer;
    std::size_t at = 0;
    if (start >= m_spilled) {
        at = static_cast<std::size_t>(start - m_spilled);
    } else {
        const std::size_t next = static_cast<std::size_t>(index) + 1;
        const std::uint64_t end = next < m_offsets.size() ? std::min(m_offsets[next], m_spilled) : m_spilled;
        spilled.resize(static_cast<std::size_t>(end - start));
        if (!readAll(m_fd, spilled.data(), spilled.size(), start)) return {};
        source = &spilled;
    }
    const std::string& in = *source;
    BandValues band;
    band.texts.resize(getLength(in, at));
    for (std::string& text : band.texts) {
        const std::size_t n = getLength(in, at);
        text.assign(in, at, n);
        at += n;
    }
    band.checks = static_cast<std::uint32_t>(getLength(in, at));
    return band;
}

int ReportPages::pageCount() const {
    const int perPage = layout().bandsPerPage();
    return (bandCount() + perPage - 1) / perPage;
}

ReportPage ReportPages::page(int number) const {
    const int perPage = layout().bandsPerPage();
    const int first = (number - 1) * perPage;
    const int end = std::min(bandCount(), first + perPage);
    std::vector<BandValues> bands;
    for (int i = first; i < end; ++i) bands.push_back(band(i));
    return layout().page(number, bands);
}

}  // namespace tarvelo::reports
