// The Word export of texts of 50 KB, 500 KB and 5 MB (UTF-8; Cyrillic lines of 10–120
// characters, a tab now and then), beside what it cannot beat, in the same run:
//   export: saveWordExport, from the text to the saved file (markup, package, temporary
//           file, fsync, rename);
//   zip:    libzip zipping that export's own word/document.xml alone into a new file.
// The export should grow linearly with the text (5 MB within 12× the 500 KB figure) and stay
// within 3× the zip of its markup.
//
// On a shared machine run it with repetitions and compare medians:
//   bench_docx_export --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include "platform/WordExport.h"

#include <QByteArray>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <map>
#include <random>
#include <zip.h>

namespace {

// A text of about `bytes` UTF-8 bytes, the same on every run.
const QString& textOf(qsizetype bytes) {
    static std::map<qsizetype, QString> texts;
    QString& text = texts[bytes];
    if (!text.isEmpty()) {
        return text;
    }
    std::mt19937 random(20261210u);
    std::uniform_int_distribution<int> length(10, 120);
    std::uniform_int_distribution<int> letter(0x0430, 0x044F); // а … я
    std::uniform_int_distribution<int> kind(0, 15);
    qsizetype utf8 = 0;
    while (utf8 < bytes) {
        const int count = length(random);
        for (int i = 0; i < count; ++i) {
            const int k = kind(random);
            if (k == 0) {
                text += u'\t';
                utf8 += 1;
            } else if (k < 3) {
                text += u' ';
                utf8 += 1;
            } else {
                text += QChar(letter(random));
                utf8 += 2;
            }
        }
        text += u'\n';
        utf8 += 1;
    }
    return text;
}

platform::WordExport contentOf(qsizetype bytes) {
    return {QStringLiteral("Ветка для замера"), textOf(bytes), QStringLiteral("bench"),
            QStringLiteral("10.12.2026")};
}

// The main part of a saved document.
QByteArray documentXmlOf(const QString& path) {
    QByteArray xml;
    zip_t* archive = zip_open(path.toLocal8Bit().constData(), ZIP_RDONLY, nullptr);
    if (archive == nullptr) {
        return xml;
    }
    zip_stat_t stat;
    if (zip_stat(archive, "word/document.xml", 0, &stat) == 0) {
        zip_file_t* file = zip_fopen(archive, "word/document.xml", 0);
        xml.resize(static_cast<qsizetype>(stat.size));
        if (file == nullptr || zip_fread(file, xml.data(), stat.size) != zip_int64_t(stat.size)) {
            xml.clear();
        }
        if (file != nullptr) {
            zip_fclose(file);
        }
    }
    zip_discard(archive);
    return xml;
}

void BM_Export(benchmark::State& state) {
    const platform::WordExport content = contentOf(state.range(0));
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("export.docx"));
    for (auto _ : state) {
        platform::saveWordExport(content, path);
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

void BM_ZipDocumentXmlAlone(benchmark::State& state) {
    QTemporaryDir folder;
    const QString exported = folder.filePath(QStringLiteral("export.docx"));
    platform::saveWordExport(contentOf(state.range(0)), exported);
    const QByteArray xml = documentXmlOf(exported);
    if (xml.isEmpty()) {
        state.SkipWithError("the export's document.xml could not be read");
        return;
    }
    const QByteArray path = folder.filePath(QStringLiteral("alone.zip")).toLocal8Bit();
    for (auto _ : state) {
        zip_t* archive = zip_open(path.constData(), ZIP_CREATE | ZIP_TRUNCATE, nullptr);
        zip_source_t* source = zip_source_buffer(archive, xml.constData(), xml.size(), 0);
        zip_file_add(archive, "word/document.xml", source, ZIP_FL_ENC_UTF_8);
        if (zip_close(archive) != 0) {
            state.SkipWithError("zip_close failed");
            zip_discard(archive);
            return;
        }
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
    state.counters["xml_bytes"] = double(xml.size());
}

constexpr qsizetype kSizes[] = {50 * 1000, 500 * 1000, 5 * 1000 * 1000};

void sizes(benchmark::internal::Benchmark* benchmark) {
    for (const qsizetype size : kSizes) {
        benchmark->Arg(size);
    }
    benchmark->Unit(benchmark::kMillisecond)->UseRealTime();
}

BENCHMARK(BM_Export)->Apply(sizes);
BENCHMARK(BM_ZipDocumentXmlAlone)->Apply(sizes);

} // namespace

BENCHMARK_MAIN();
