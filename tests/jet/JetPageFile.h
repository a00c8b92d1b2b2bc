#pragma once

// The file of a Jet database as numbered 4 KB pages: hands out page numbers, writes pages
// in any order (RC4-encoding every page but the header when the file has a database key).

#include <QByteArray>
#include <QFile>
#include <QString>
#include <cstdint>

namespace jetfile {

class JetPageFile {
public:
    JetPageFile(const QString& path, std::uint32_t databaseKey);

    std::uint32_t allocate() { return next_++; }
    std::uint32_t pageCount() const { return next_; }
    // Writes a full page at its place, encoding it when the file has a database key.
    void write(std::uint32_t page, QByteArray bytes);
    // Flushes and closes; the file then ends after its last allocated page.
    void finish();
    // Cuts the finished file to the given length.
    void truncate(qint64 length);

private:
    QFile file_;
    std::uint32_t databaseKey_;
    std::uint32_t next_ = 0;
};

// A page holding rows: a data page of a table or a long-value page. Rows are stored from
// the page's end towards its start, their offsets in a table after the page's header.
class RowPage {
public:
    static constexpr int kHeaderSize = 14;
    static constexpr int kMaxRows = 255; // a row is addressed by one byte
    static constexpr int kMaxRowSize = 4096 - kHeaderSize - 2;

    // owner: the table definition page, or kLongValueOwner for a long-value page.
    explicit RowPage(std::uint32_t owner);
    static constexpr std::uint32_t kLongValueOwner = 0x4C41564C; // "LVAL"

    bool fits(qsizetype rowSize) const;
    int add(const QByteArray& row); // returns the row's number on the page
    int rowCount() const { return rows_; }
    const QByteArray& bytes() const { return page_; }
    // A row's entry in the offset table as stored, flags included.
    std::uint16_t rowOffset(int row) const;
    void setRowOffset(int row, std::uint16_t offset);

private:
    QByteArray page_;
    int rows_ = 0;
    int rowsStart_;
};

} // namespace jetfile
