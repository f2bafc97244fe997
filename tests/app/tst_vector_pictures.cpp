// Every page saved as a PDF and as an SVG: the PDF's text is the page's own, searchable
// (pdftotext finds the words the page shows), and its only images are the carried pictures; both,
// drawn by other programs (pdftocairo, rsvg-convert), show what the page shows on screen.
//   PLL_VECTOR_DIR=folder build/tests/tst_vector_pictures
// keeps each page's PNG, PDF, SVG and the two as drawn in that folder.
#include "app/application.h"
#include "app/picture_file.h"
#include "drawing/page_reader.h"
#include "drawing/vector_drawing.h"
#include "page_runs.h"
#include "pages/page_tick.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>

namespace {
// The words looked for: runs of Latin letters at least this long (the Greek letters of the
// symbol face stand alone).
const QRegularExpression WordPattern(QStringLiteral("\\p{Latin}{4,}"));

// A file as another program draws it, against the page's own pixels. Both are blurred over
// 3 x 3 pixels first: the renderers smooth edges and glyphs that the pixel rules draw hard, and
// set glyphs from their outlines where the page's faces are hinted to the pixel grid; blurred,
// such a difference is a shade off, while a text, line or shape missing or drawn a few pixels
// off leaves a full contrast step. A pixel differs when a channel is off by more than `Step` (a
// quarter of the full scale). The share of the page's pixels that may differ is about twice the
// most any page shows with Debian 12's renderers: 0.09 % for the PDF (pdftocairo; pdftoppm thins
// wide lines by a pixel, so it is not used), 0.38 % for the SVG, whose words the renderer sets
// again with its own widths from the places the page gives them. Two pixels off, every page's
// texts make 0.4 to 2.2 % of the PDF differ (0.3 to 1.9 % of the SVG), its shapes 3 to 10 % of
// the SVG; its texts left out of the SVG, 1.3 % (the menu) to 8 %.
constexpr int Step = 64;
constexpr double MostDifferingPdf = 0.002, MostDifferingSvg = 0.0075;

struct Output
{
    bool ok;
    QString text; // the standard output, or why it failed
};

Output runProcess(const QString &program, const QStringList &arguments, const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return {false, QStringLiteral("%1 failed: %2").arg(program, QString::fromLocal8Bit(process.readAllStandardError()))};
    return {true, QString::fromUtf8(process.readAllStandardOutput())};
}

QImage blurred(const QImage &image)
{
    const QImage source = image.convertToFormat(QImage::Format_RGB32);
    QImage out(source.size(), QImage::Format_RGB32);
    for (int y = 0; y < source.height(); ++y)
        for (int x = 0; x < source.width(); ++x) {
            int r = 0, g = 0, b = 0, n = 0;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int sx = x + dx, sy = y + dy;
                    if (sx < 0 || sy < 0 || sx >= source.width() || sy >= source.height())
                        continue;
                    const QRgb c = source.pixel(sx, sy);
                    r += qRed(c), g += qGreen(c), b += qBlue(c), ++n;
                }
            out.setPixel(x, y, qRgb(r / n, g / n, b / n));
        }
    return out;
}

// The share of pixels whose blurred colours differ by more than a step.
double differing(const QImage &a, const QImage &b)
{
    const QImage ba = blurred(a), bb = blurred(b);
    qsizetype count = 0;
    for (int y = 0; y < ba.height(); ++y)
        for (int x = 0; x < ba.width(); ++x) {
            const QRgb p = ba.pixel(x, y), q = bb.pixel(x, y);
            count += std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)), std::abs(qBlue(p) - qBlue(q))}) > Step;
        }
    return double(count) / (qsizetype(ba.width()) * ba.height());
}
}

class TestVectorPictures : public QObject
{
    Q_OBJECT
    QTemporaryDir m_scratch;
    QDir m_folder;
    QProcessEnvironment m_rsvg = QProcessEnvironment::systemEnvironment();

private slots:
    void initTestCase()
    {
        PllApplication::applyLook();
        QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
        QVERIFY(m_scratch.isValid());
        m_folder = QDir(qEnvironmentVariableIsSet("PLL_VECTOR_DIR") ? qEnvironmentVariable("PLL_VECTOR_DIR") : m_scratch.path());
        QVERIFY(m_folder.mkpath(QStringLiteral(".")));
        // The renderer sees the machine's faces and not the program's, as on a machine without
        // the program: the SVG's texts must not need them.
        QFile config(m_scratch.filePath(QStringLiteral("fonts.conf")));
        QVERIFY(config.open(QIODevice::WriteOnly));
        config.write(QStringLiteral("<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"fonts.dtd\">\n"
                                    "<fontconfig><dir>/usr/share/fonts</dir><cachedir>%1</cachedir></fontconfig>\n")
                         .arg(m_scratch.filePath(QStringLiteral("fontcache")))
                         .toUtf8());
        config.close();
        m_rsvg.insert(QStringLiteral("FONTCONFIG_FILE"), config.fileName());
        for (const char *tool : {"pdftotext", "pdfimages", "pdftocairo", "rsvg-convert"})
            QVERIFY2(!QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty(), tool);
    }

    void everyPageAsVectors_data()
    {
        QTest::addColumn<QByteArray>("run");
        // A run restarted shows the page the first run shows.
        for (const PageRun &run : pageRuns())
            if (!QByteArray(run.name).endsWith("restarted"))
                QTest::addRow("%s", run.name) << QByteArray(run.name);
    }
    void everyPageAsVectors()
    {
        QFETCH(QByteArray, run);
        const auto found = std::find_if(pageRuns().begin(), pageRuns().end(), [&](const PageRun &r) { return run == r.name; });
        Stage stage;
        PageReader reader;
        stage.canvas.setTextListener(&reader);
        playRun(stage, *found, [](Control) {}, [&](bool) { PageTick(stage); });
        const Canvas::Snapshot picture = stage.canvas.snapshot();
        const QImage own = Canvas::render(picture, 1);
        const QString base = m_folder.filePath(QString::fromLatin1(run).replace(QLatin1Char(' '), QLatin1Char('-')));
        own.save(base + QStringLiteral(".png"));

        // The PDF: the words the page shows, as text; no image but the carried pictures.
        const QString pdf = base + QStringLiteral(".pdf");
        QCOMPARE(PictureFile::save(pdf, {PictureFile::Format::Pdf, 1}, picture), QString());
        const Output text = runProcess(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
        QVERIFY2(text.ok, qPrintable(text.text));
        // The page's face joins f and i into one glyph, which reads back as the ligature "ﬁ".
        const QString pdfWords = text.text.normalized(QString::NormalizationForm_KC);
        QStringList missing;
        int words = 0;
        for (const QRegularExpressionMatch &m : WordPattern.globalMatch(reader.read(own))) {
            ++words;
            if (!pdfWords.contains(m.captured()))
                missing << m.captured();
        }
        QVERIFY2(words > 0, "the page shows no word");
        QVERIFY2(missing.isEmpty(), qPrintable(QStringLiteral("%1 of %2 words not found in the PDF's text: %3\n%4")
                                                   .arg(missing.size()).arg(words).arg(missing.join(QLatin1Char(' ')), text.text)));
        QList<QSize> pictureSizes;
        for (const DrawOp &op : *picture.drawing)
            if (op.kind == OpKind::Picture)
                pictureSizes.append(op.picture.size() * VectorDrawing::PictureScale);
        const Output images = runProcess(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf});
        QVERIFY2(images.ok, qPrintable(images.text));
        const QStringList rows = images.text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QVERIFY2(rows.size() >= 2 && rows[0].simplified().startsWith(QLatin1String("page num type width height")), qPrintable(images.text));
        for (const QString &row : rows.mid(2)) {
            const QStringList f = row.simplified().split(QLatin1Char(' '));
            QVERIFY2(f.size() > 4 && (f[2] != QLatin1String("image") || pictureSizes.contains(QSize(f[3].toInt(), f[4].toInt()))),
                     qPrintable(QStringLiteral("not a carried picture: ") + row));
        }
        const QString pdfDrawn = base + QStringLiteral("-pdf");
        const Output pdfRendered = runProcess(QStringLiteral("pdftocairo"), {QStringLiteral("-png"), QStringLiteral("-singlefile"),
            QStringLiteral("-scale-to-x"), QString::number(Canvas::Width), QStringLiteral("-scale-to-y"), QString::number(Canvas::Height),
            pdf, pdfDrawn});
        QVERIFY2(pdfRendered.ok, qPrintable(pdfRendered.text));
        const QImage pdfImage(pdfDrawn + QStringLiteral(".png"));
        QCOMPARE(pdfImage.size(), own.size());

        // The SVG, drawn by another renderer at its own size.
        const QString svg = base + QStringLiteral(".svg");
        QCOMPARE(PictureFile::save(svg, {PictureFile::Format::Svg, 1}, picture), QString());
        const QString svgDrawn = base + QStringLiteral("-svg.png");
        const Output svgRendered = runProcess(QStringLiteral("rsvg-convert"), {QStringLiteral("-o"), svgDrawn, svg}, m_rsvg);
        QVERIFY2(svgRendered.ok, qPrintable(svgRendered.text));
        const QImage svgImage(svgDrawn);
        QCOMPARE(svgImage.size(), own.size());
        // Its words kept as text, for a search or a screen reader.
        QFile svgFile(svg);
        QVERIFY(svgFile.open(QIODevice::ReadOnly));
        const QString svgText = QString::fromUtf8(svgFile.readAll());
        for (const QRegularExpressionMatch &m : WordPattern.globalMatch(reader.read(own)))
            QVERIFY2(svgText.contains(m.captured().toHtmlEscaped()), qPrintable(m.captured() + QStringLiteral(" is not in the SVG")));

        const double pdfShare = differing(own, pdfImage), svgShare = differing(own, svgImage);
        qInfo("%s: PDF %lld bytes, %.3f %% of its pixels differ; SVG %lld bytes, %.3f %%", run.constData(), QFileInfo(pdf).size(),
              pdfShare * 100, QFileInfo(svg).size(), svgShare * 100);
        QVERIFY2(pdfShare <= MostDifferingPdf, qPrintable(QStringLiteral("%1 % of the PDF's pixels differ").arg(pdfShare * 100, 0, 'f', 3)));
        QVERIFY2(svgShare <= MostDifferingSvg, qPrintable(QStringLiteral("%1 % of the SVG's pixels differ").arg(svgShare * 100, 0, 'f', 3)));
    }
};

QTEST_MAIN(TestVectorPictures)
#include "tst_vector_pictures.moc"
