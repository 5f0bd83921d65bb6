#pragma once
// The pages a report generated, kept compactly: each detail band's values are packed (a length and the
// bytes of each text, then the check bits) and a page is composed from its bands only when it is asked
// for. The packed bands go to a temporary file of their own in blocks as they grow (the file has no name
// and goes when the pages do), so memory stays at a block and one offset per band however long the
// report: 100,000 tasks make 50,000 pages, none of them kept as a picture. Without a temporary folder
// that can be written, the bands stay in memory.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "reports/report_layout.h"

namespace tarvelo::reports {

class ReportPages {
public:
    explicit ReportPages(ReportKind kind);
    ~ReportPages();
    ReportPages(const ReportPages&) = delete;
    ReportPages& operator=(const ReportPages&) = delete;

    ReportKind kind() const { return m_kind; }
    const ReportLayout& layout() const { return reportLayout(m_kind); }

    void addBand(const BandValues& band);
    int bandCount() const { return static_cast<int>(m_offsets.size()); }
    int pageCount() const;
    // REQUIRES: 1 <= number <= pageCount().
    ReportPage page(int number) const;
    // REQUIRES: 0 <= index < bandCount().
    BandValues band(int index) const;
    // Memory the pages hold (the block not yet written out and the offsets), and bytes written out.
    std::size_t bytes() const { return m_buffer.capacity() + m_offsets.capacity() * sizeof(std::uint64_t); }
    std::uint64_t spilledBytes() const { return m_spilled; }

private:
    void spill();

    ReportKind m_kind;
    int m_fd = -1;                        // the unnamed temporary file; -1 when everything stays in memory
    bool m_canSpill = true;               // false after a failed write: the rest stays in memory
    std::uint64_t m_spilled = 0;          // bytes in the file; m_buffer follows them
    std::string m_buffer;
    std::vector<std::uint64_t> m_offsets;  // where each band starts, counting the file's bytes first
};

}  // namespace tarvelo::reports
