#include "DocxReadBack.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <gtest/gtest.h>

QJsonObject readDocxBack(const QString& path) {
    QProcess reader;
    reader.start(QStringLiteral(DOCX_READER_PYTHON), {QStringLiteral(DOCX_READER_SCRIPT), path});
    const bool finished = reader.waitForFinished(120000);
    const QByteArray errors = reader.readAllStandardError();
    EXPECT_TRUE(finished && reader.exitStatus() == QProcess::NormalExit && reader.exitCode() == 0)
        << "python-docx could not read " << path.toStdString() << ":\n"
        << errors.toStdString();
    QJsonParseError parse{};
    const QJsonDocument json = QJsonDocument::fromJson(reader.readAllStandardOutput(), &parse);
    EXPECT_EQ(parse.error, QJsonParseError::NoError) << parse.errorString().toStdString();
    return json.object();
}

QStringList paragraphTexts(const QJsonObject& document) {
    QStringList texts;
    for (const QJsonValue& paragraph : document[QStringLiteral("paragraphs")].toArray()) {
        texts << paragraph[QStringLiteral("text")].toString();
    }
    return texts;
}

bool unzipTestPasses(const QString& path) {
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-tq"), path});
    return unzip.waitForFinished(60000) && unzip.exitStatus() == QProcess::NormalExit &&
           unzip.exitCode() == 0;
}
