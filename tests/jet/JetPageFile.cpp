#include "JetPageFile.h"

#include "JetEncoding.h"
#include "JetFileWriter.h"

#include <QtEndian>

namespace jetfile {

JetPageFile::JetPageFile(const QString& path, std::uint32_t databaseKey)
    : file_(path), databaseKey_(databaseKey) {
    if (!file_.open(QIODevice::ReadWrite | QIODevice::Truncate))
        throw JetWriteError("cannot create " + path.toStdString() + ": " +
                            file_.errorString().toStdString());
}

void JetPageFile::write(std::uint32_t page, QByteArray bytes) {
    Q_ASSERT(bytes.size() == kPageSize && page < next_);
    if (page != 0 && databaseKey_ != 0)
        rc4(pageKey(databaseKey_, page), bytes.data(), bytes.size());
    if (!file_.seek(qint64(page) * kPageSize) || file_.write(bytes) != bytes.size())
        throw JetWriteError("cannot write page " + std::to_string(page) + ": " +
                            file_.errorString().toStdString());
}

void JetPageFile::finish() {
    if (!file_.resize(qint64(next_) * kPageSize) || !file_.flush())
        throw JetWriteError("cannot finish the file: " + file_.errorString().toStdString());
    file_.close();
}

void JetPageFile::truncate(qint64 length) {
    if (!QFile::resize(file_.fileName(), length))
        throw JetWriteError("cannot cut the file short");
}

RowPage::RowPage(std::uint32_t owner) : page_(kPageSize, '\0'), rowsStart_(kPageSize) {
    page_[0] = 0x01;
    page_[1] = 0x01;
    qToLittleEndian<std::uint32_t>(owner, page_.data() + 4);
    qToLittleEndian<std::uint16_t>(kPageSize - kHeaderSize, page_.data() + 2);
}

bool RowPage::fits(qsizetype rowSize) const {
    const int freeSpace = rowsStart_ - (kHeaderSize + 2 * rows_);
    return rows_ < kMaxRows && rowSize + 2 <= freeSpace;
}

int RowPage::add(const QByteArray& row) {
    Q_ASSERT(fits(row.size()));
    rowsStart_ -= static_cast<int>(row.size());
    std::copy(row.begin(), row.end(), page_.begin() + rowsStart_);
    const int number = rows_++;
    qToLittleEndian<std::uint16_t>(static_cast<std::uint16_t>(rowsStart_),
                                   page_.data() + kHeaderSize + 2 * number);
    qToLittleEndian<std::uint16_t>(static_cast<std::uint16_t>(rows_), page_.data() + 12);
    qToLittleEndian<std::uint16_t>(
        static_cast<std::uint16_t>(rowsStart_ - (kHeaderSize + 2 * rows_)), page_.data() + 2);
    return number;
}

std::uint16_t RowPage::rowOffset(int row) const {
    return qFromLittleEndian<std::uint16_t>(page_.constData() + kHeaderSize + 2 * row);
}

void RowPage::setRowOffset(int row, std::uint16_t offset) {
    qToLittleEndian<std::uint16_t>(offset, page_.data() + kHeaderSize + 2 * row);
}

} // namespace jetfile
