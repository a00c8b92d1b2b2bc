#pragma once

#include <QDate>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

namespace jet {

// Receives a value's bytes in order, a page's worth at a time.
using ByteSink = std::function<void(const char* data, qint64 size)>;

// The kinds of column the reader tells apart.
enum class ColumnKind { Text, Integer, DateTime, Binary, Other };

// Reads the rows of one table of a Jet 4.0 base through libmdb, decoding the stored values
// itself: texts from their stored bytes, long values page by page up to the length their
// own header declares. A damaged file is a Failure with a Russian message naming the damage;
// libmdb's own complaints on standard error say nothing the message does not.
class JetTableReader {
public:
    // Opens the file and the table. Throws Failure when the file is not a Jet 4.0 base, is
    // cut short or damaged, or has no such table.
    JetTableReader(const QString& path, const QString& table);
    ~JetTableReader();
    JetTableReader(const JetTableReader&) = delete;
    JetTableReader& operator=(const JetTableReader&) = delete;

    // The number of rows the table's own definition declares.
    qint64 declaredRows() const;
    qint64 fileSize() const;

    int columnCount() const;
    QString columnName(int column) const;
    ColumnKind columnKind(int column) const;
    // The column of that name ignoring ASCII letter case, or -1.
    int columnByName(const QString& name) const;

    // Moves to the next row; false after the last.
    bool next();

    // The values of the current row. A column without a value gives nullopt; asking a column
    // for a kind it is not is a programming error.
    std::optional<QString> text(int column);
    std::optional<qint64> integer(int column) const;
    std::optional<QDate> date(int column) const;
    // The length of a binary value, from its header; nullopt without a value.
    std::optional<qint64> binarySize(int column) const;
    // Streams a binary value's bytes; exactly binarySize() of them or a Failure.
    void readBinary(int column, const ByteSink& sink);

    // Stored bytes of values read so far, for telling progress against fileSize().
    qint64 bytesRead() const;

private:
    struct State;
    std::unique_ptr<State> d;
};

} // namespace jet
