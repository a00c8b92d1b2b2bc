#include "JetFileWriter.h"

#include "JetEncoding.h"
#include "JetLongValues.h"
#include "JetPageFile.h"
#include "JetTableFormat.h"
#include "JetUsageMaps.h"

#include <QFileInfo>
#include <QSet>
#include <memory>

namespace jetfile {
namespace {

// Fixed pages: the header, the page holding every table's page maps, and the catalog.
constexpr std::uint32_t kHeaderPage = 0;
constexpr std::uint32_t kMapPage = 1;
constexpr std::uint32_t kCatalogDefinitionPage = 2;
constexpr std::uint32_t kCatalogDataPage = 3;

constexpr qint64 kTableObject = 1;
constexpr qint64 kTablesContainer = 0x0F000001; // the parent Access gives every table
constexpr qint64 kSystemObjectFlags = static_cast<std::int32_t>(0x80000000);

// The catalog's columns that readers look up by name.
std::vector<JetColumn> catalogColumns() {
    return {{"Id", JetType::Long},
            {"ParentId", JetType::Long},
            {"Name", JetType::Text, false, 255},
            {"Type", JetType::Integer},
            {"DateCreate", JetType::DateTime},
            {"DateUpdate", JetType::DateTime},
            {"Flags", JetType::Long},
            {"LvProp", JetType::OleObject}};
}

struct TableState {
    const JetTableSpec* spec;
    TableFormat format;
    std::uint32_t definitionPage;
    std::vector<std::uint32_t> dataPages;
    std::uint32_t rowCount = 0;
};

void checkTableNames(const std::vector<JetTableSpec>& tables) {
    QSet<QString> names;
    for (const JetTableSpec& table : tables) {
        const QString folded = table.name.toCaseFolded();
        if (table.name.isEmpty() || folded == QLatin1String("msysobjects") ||
            names.contains(folded))
            throw JetWriteError("table name '" + table.name.toStdString() +
                                "' empty, reserved or repeated");
        names.insert(folded);
    }
}

class FileWriter {
public:
    FileWriter(const QString& path, const JetFileOptions& options)
        : options_(options), file_(path, options.encodePages ? options.databaseKey : 0),
          longValues_(file_, options_, layout_) {
        if (options.encodePages && options.databaseKey == 0)
            throw JetWriteError("encoded pages need a database key other than 0");
        if (options.password.size() > 20)
            throw JetWriteError("a database password has at most 20 characters");
        for (std::uint32_t page = kHeaderPage; page <= kCatalogDataPage; ++page)
            file_.allocate();
    }

    JetFileLayout write(const std::vector<JetTableSpec>& tables) {
        std::vector<TableState> states;
        states.reserve(tables.size());
        for (const JetTableSpec& spec : tables)
            states.push_back({&spec, TableFormat(spec.columns), file_.allocate(), {}, 0});
        for (TableState& table : states)
            writeRows(table);
        longValues_.flush();
        longValues_.checkDamageDone();

        writeCatalogAndDefinitions(states);
        file_.write(
            kHeaderPage,
            headerPage({1, options_.codePage, options_.encodePages ? options_.databaseKey : 0,
                        options_.sortOrder, options_.creationDate, options_.password}));
        layout_.pageCount = file_.pageCount();
        file_.finish();
        if (options_.damage == JetDamage::CutShort)
            cutShort(states);
        return layout_;
    }

private:
    void writeRows(TableState& table) {
        std::optional<RowPage> page;
        std::uint32_t pageNumber = 0;
        auto add = [&](const JetRow& row) {
            const QByteArray bytes = table.format.encodeRow(
                row, options_.longValues,
                [this](const JetLongValue& v, LongValuePlacement p) {
                    return longValues_.store(v, p);
                },
                layout_);
            if (page && !page->fits(bytes.size())) {
                file_.write(pageNumber, page->bytes());
                page.reset();
            }
            if (!page) {
                page.emplace(table.definitionPage);
                pageNumber = file_.allocate();
                table.dataPages.push_back(pageNumber);
                ++layout_.dataPages;
            }
            page->add(bytes);
            ++table.rowCount;
        };
        if (table.spec->nextRow) {
            while (std::optional<JetRow> row = table.spec->nextRow())
                add(*row);
        } else {
            for (const JetRow& row : table.spec->rows)
                add(row);
        }
        if (page)
            file_.write(pageNumber, page->bytes());
    }

    void writeCatalogAndDefinitions(const std::vector<TableState>& tables) {
        RowPage maps(0);
        auto addMaps = [&](const std::vector<std::uint32_t>& dataPages) {
            const MapRecords records = mapRecords(dataPages, options_.usageMap, file_, layout_);
            if (!maps.fits(records.usage.size() + 2 + records.freeSpace.size()))
                throw JetWriteError(
                    "the tables' page maps do not fit their page: use UsageMapKind::MapPages");
            // The free-space map first: a damaged usage map can then take the length 0.
            const std::uint32_t freeSpace =
                kMapPage << 8 | static_cast<std::uint32_t>(maps.add(records.freeSpace));
            const std::uint32_t usage =
                kMapPage << 8 | static_cast<std::uint32_t>(maps.add(records.usage));
            return std::pair{usage, freeSpace};
        };

        const TableFormat catalog(catalogColumns());
        RowPage catalogRows(kCatalogDefinitionPage);
        auto addEntry = [&](qint64 id, const QString& name, qint64 flags) {
            const JetRow row{id,           kTablesContainer,      name,
                             kTableObject, options_.creationDate, options_.creationDate,
                             flags,        std::monostate{}};
            const QByteArray bytes =
                catalog.encodeRow(row, LongValuePlacement::Inline, {}, layout_);
            if (!catalogRows.fits(bytes.size()))
                throw JetWriteError("too many tables for the catalog's page");
            catalogRows.add(bytes);
        };
        addEntry(kCatalogDefinitionPage, "MSysObjects", kSystemObjectFlags);
        for (const TableState& table : tables)
            addEntry(table.definitionPage, table.spec->name, 0);

        const auto [catalogUsage, catalogFree] = addMaps({kCatalogDataPage});
        file_.write(kCatalogDefinitionPage,
                    catalog.definitionPage(true, static_cast<std::uint32_t>(catalogRows.rowCount()),
                                           catalogUsage, catalogFree, options_.sortOrder));
        for (const TableState& table : tables) {
            const auto [usage, freeSpace] = addMaps(table.dataPages);
            file_.write(table.definitionPage,
                        table.format.definitionPage(false, table.rowCount, usage, freeSpace,
                                                    options_.sortOrder));
        }

        if (options_.damage == JetDamage::CatalogUsageMap) {
            // The catalog's usage map starts where the free-space map before it starts.
            const int row = static_cast<int>(catalogUsage & 0xFF);
            maps.setRowOffset(row, maps.rowOffset(row - 1));
        }
        file_.write(kMapPage, maps.bytes());

        QByteArray catalogPage = catalogRows.bytes();
        if (options_.damage == JetDamage::CatalogPage) {
            // Noise over the row count, the offsets and the rows; the page still says
            // whose it is.
            std::uint32_t noise = 0x2545F491;
            for (qsizetype i = 8; i < catalogPage.size(); ++i) {
                noise = noise * 1664525u + 1013904223u;
                catalogPage[i] = static_cast<char>(noise >> 24);
            }
        }
        file_.write(kCatalogDataPage, catalogPage);
    }

    void cutShort(const std::vector<TableState>& tables) {
        std::uint32_t last = 0;
        for (const TableState& table : tables)
            if (!table.dataPages.empty())
                last = std::max(last, table.dataPages.back());
        if (last == 0)
            throw JetWriteError("cutting the file short needs a table with rows");
        file_.truncate(qint64(last) * kPageSize + kPageSize / 2);
    }

    const JetFileOptions& options_;
    JetFileLayout layout_;
    JetPageFile file_;
    LongValueStore longValues_;
};

} // namespace

JetLongValue longValueOf(QByteArray bytes) {
    auto shared = std::make_shared<const QByteArray>(std::move(bytes));
    return {static_cast<std::uint64_t>(shared->size()),
            [shared](std::uint64_t offset, char* buffer, std::size_t length) {
                std::copy_n(shared->constData() + offset, length, buffer);
            },
            std::nullopt};
}

static void fillPattern(std::uint64_t offset, char* buffer, std::size_t length,
                        std::uint32_t seed) {
    for (std::size_t i = 0; i < length; ++i)
        buffer[i] = static_cast<char>(((offset + i) * 0x9E3779B97F4A7C15ull + seed) >> 56);
}

QByteArray patternBytes(std::uint64_t offset, std::size_t length, std::uint32_t seed) {
    QByteArray bytes(static_cast<qsizetype>(length), '\0');
    fillPattern(offset, bytes.data(), length, seed);
    return bytes;
}

JetLongValue patternValue(std::uint64_t size, std::uint32_t seed) {
    return {size,
            [seed](std::uint64_t offset, char* buffer, std::size_t length) {
                fillPattern(offset, buffer, length, seed);
            },
            std::nullopt};
}

JetLongValue longValueFromFile(const QString& path) {
    const QFileInfo info(path);
    if (!info.isFile())
        throw JetWriteError("no file " + path.toStdString());
    auto file = std::make_shared<QFile>(path);
    return {static_cast<std::uint64_t>(info.size()),
            [file](std::uint64_t offset, char* buffer, std::size_t length) {
                if ((!file->isOpen() && !file->open(QIODevice::ReadOnly)) ||
                    !file->seek(static_cast<qint64>(offset)) ||
                    file->read(buffer, static_cast<qint64>(length)) != static_cast<qint64>(length))
                    throw JetWriteError("cannot read " + file->fileName().toStdString());
            },
            std::nullopt};
}

QByteArray memoBytes(const QString& text, bool compressedUnicode) {
    // A memo is compressed only while it is short, as Access does.
    return encodeText(text, compressedUnicode && text.size() <= 1024);
}

JetFileLayout writeJetFile(const QString& path, const std::vector<JetTableSpec>& tables,
                           const JetFileOptions& options) {
    checkTableNames(tables);
    try {
        return FileWriter(path, options).write(tables);
    } catch (...) {
        // A test never finds half a file from a refused or failed write.
        QFile::remove(path);
        throw;
    }
}

JetTableSpec recordTable(const RecordTableTypes& types) {
    JetTableSpec table;
    table.name = "Tab_DB_Delphi_10";
    table.columns = {{"Dat", types.dat, types.compressedUnicode},
                     {"Imya_vetok", JetType::Text, types.compressedUnicode},
                     {"Opisanie", types.description, types.compressedUnicode},
                     {"Texty", JetType::Memo, types.compressedUnicode},
                     {"File", JetType::OleObject},
                     {"RashirenieFile", types.extension}};
    return table;
}

JetTableSpec passwordTable() {
    JetTableSpec table;
    table.name = "Tab_Parol";
    table.columns = {{"Parol", JetType::Text, true, 50}};
    return table;
}

} // namespace jetfile
