// Every page read as a student reads it: the last picture of each topic and section, enlarged
// 3x without smoothing, given to an OCR engine that knows nothing of our fonts (Tesseract, with
// its French data); the words it reads back are compared, place by place, with the words the
// page wrote.
//   PLL_LEGIBILITY_DIR=folder build/tests/tst_legibility
// keeps in that folder each page at 3x, as the engine was given it and as shown, what it read,
// and where each Greek letter written into a line sits (greek-gaps.txt).
#include "app/application.h"
#include "app/tpll.h"
#include "drawing/canvas.h"
#include "drawing/fonts.h"
#include "drawing/page_reader.h"
#include "page_runs.h"
#include "pixel_probe.h"
#include "pages/page_tick.h"

#include <QDir>
#include <QFontMetrics>
#include <QLocale>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtConcurrent/QtConcurrentMap>
#include <QtTest>
#include <algorithm>

namespace {
// How much larger than on screen the pages are read.
constexpr int Zoom = 3;
// The words counted: runs of letters at least this long.
constexpr int MinWordLength = 4;
// Texts of this size or smaller are the small labels of the diagrams.
constexpr int SmallPoints = 6;
// Shares of the words that must read back, on every page and over all pages together. The
// engine misreads some words our face draws plainly (blue on fuchsia, words glued to a
// parenthesis); these floors hold what the face reaches, so that a change that blurs the
// text fails.
constexpr double SmallPageFloor = 0.85, LargePageFloor = 0.85;
constexpr double SmallTotalFloor = 0.97, LargeTotalFloor = 0.94;
// On a page of few words one miss is allowed, whatever the share.
qsizetype allowedMisses(double floor, int words) { return std::max(1, int((1 - floor) * words)); }
// How far (pixels) a word read may lie from where the page wrote it.
constexpr int Slack = 2;

const QRegularExpression WordPattern(QStringLiteral("\\p{L}+"));

// Every text drawn, in order.
class TextLog : public TextListener
{
public:
    QList<DrawnText> texts;
    void textDrawn(const DrawnText &text) override { texts.append(text); }
};

struct Word
{
    QString text;
    QRect box;
    bool small;
};

struct Page
{
    QString name;
    QImage image;
    QList<DrawnText> texts; // those still shown, each once
    QList<Word> words;
    QList<Word> read;       // what the engine read, boxes at 1x
    QString error;
};


// The texts drawn since the run began that the picture still shows, each once.
QList<DrawnText> shownTexts(const QList<DrawnText> &drawn, const QImage &image)
{
    QList<DrawnText> shown;
    QSet<QString> seen;
    for (auto it = drawn.rbegin(); it != drawn.rend(); ++it) {
        // A text written where the same face and colour wrote before is what shows there now:
        // a live value's earlier readings are gone.
        const QString key = QStringLiteral("%1|%2|%3|%4|%5").arg(it->fontName).arg(it->points).arg(it->cell.x())
                                .arg(it->cell.y()).arg(it->colour);
        if (!seen.contains(key) && stillShown(*it, image))
            shown.prepend(*it);
        seen.insert(key);
    }
    return shown;
}

// The words of the page's own texts, where it wrote them; the Greek letters are no words.
QList<Word> wordsOf(const QList<DrawnText> &texts)
{
    QList<Word> words;
    for (const DrawnText &t : texts) {
        if (Fonts::isSymbol(t.fontName))
            continue;
        const LaidOutText laid = Fonts::layOut(Fonts::pageFont(t.fontName, t.points), t.shown, Raster::roomAt(t.cell.x()), t.shifts);
        for (const QRegularExpressionMatch &m : WordPattern.globalMatch(t.shown)) {
            if (m.capturedLength() < MinWordLength)
                continue;
            const int left = t.cell.x() + Fonts::GlyphInset + laid.x(m.capturedStart());
            words.append({m.captured(), QRect(left, t.cell.y(), laid.x(m.capturedEnd()) - laid.x(m.capturedStart()), t.cell.height()),
                          t.points <= SmallPoints});
        }
    }
    return words;
}

// Tesseract's words, from its TSV output, with their boxes brought back to 1x.
QList<Word> parseTsv(const QByteArray &tsv)
{
    QList<Word> read;
    for (const QByteArray &line : tsv.split('\n')) {
        const QList<QByteArray> f = line.split('\t');
        if (f.size() < 12 || f[0] != "5")
            continue;
        const QRect box(f[6].toInt() / Zoom, f[7].toInt() / Zoom, (f[8].toInt() + Zoom - 1) / Zoom, (f[9].toInt() + Zoom - 1) / Zoom);
        const QString text = QString::fromUtf8(f[11]);
        for (const QRegularExpressionMatch &m : WordPattern.globalMatch(text))
            read.append({m.captured(), box, false});
    }
    return read;
}

// The page as the engine is given it: in grey, one tone per pixel, with no smoothing. Two
// separations, since the pages' colours differ in hue more than in lightness: the luminance
// (black on lime), and the red component (blue on fuchsia).
struct Separation
{
    const char *name;
    int (*tone)(QRgb);
};
const Separation Separations[] = {
    {"luminance", [](QRgb c) { return int(0.2126 * qRed(c) + 0.7152 * qGreen(c) + 0.0722 * qBlue(c) + 0.5); }},
    {"red", [](QRgb c) { return qRed(c); }},
};

QImage separated(const QImage &page, const Separation &separation)
{
    QImage grey(page.size() * Zoom, QImage::Format_Grayscale8);
    for (int y = 0; y < grey.height(); ++y) {
        uchar *row = grey.scanLine(y);
        for (int x = 0; x < grey.width(); ++x)
            row[x] = uchar(separation.tone(page.pixel(x / Zoom, y / Zoom)));
    }
    return grey;
}

// Each separation is read twice: as a page laid out in blocks, whose lines the engine reads as
// sentences, and as sparse text, which finds the labels scattered over the drawings.
const char *const Layouts[] = {"3", "11"};

struct Reading
{
    Page *page;
    const Separation *separation;
    const char *layout;
    QList<Word> read;
    QString error;
};

void read(Reading &reading, const QString &folder)
{
    const QString base = QDir(folder).filePath(reading.page->name + QLatin1Char('-') + QLatin1String(reading.separation->name)
                       + QLatin1Char('-') + QLatin1String(reading.layout));
    const QString file = base + QStringLiteral(".png");
    if (!separated(reading.page->image, *reading.separation).save(file)) {
        reading.error = QStringLiteral("cannot write ") + file;
        return;
    }
    QProcess tesseract;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("OMP_THREAD_LIMIT"), QStringLiteral("1")); // the readings run side by side instead
    tesseract.setProcessEnvironment(env);
    tesseract.start(QStringLiteral("tesseract"), QStringList{file, QStringLiteral("stdout"), QStringLiteral("-l"), QStringLiteral("fra"),
                                                  QStringLiteral("--psm"), QLatin1String(reading.layout), QStringLiteral("tsv")});
    if (!tesseract.waitForFinished(60000) || tesseract.exitCode() != 0) {
        reading.error = QStringLiteral("tesseract failed: ") + QString::fromLocal8Bit(tesseract.readAllStandardError());
        return;
    }
    const QByteArray tsv = tesseract.readAllStandardOutput();
    reading.read = parseTsv(tsv);
    QFile out(base + QStringLiteral(".tsv"));
    if (out.open(QIODevice::WriteOnly))
        out.write(tsv);
}

// The words the engine did not read where the page wrote them; each word read serves once.
QList<Word> missed(const Page &page)
{
    QList<bool> used(page.read.size(), false);
    QList<Word> missing;
    for (const Word &w : page.words) {
        const QRect near = w.box.adjusted(-Slack, -Slack, Slack, Slack);
        bool found = false;
        for (qsizetype i = 0; i < page.read.size() && !found; ++i)
            if (!used[i] && page.read[i].text == w.text && page.read[i].box.intersects(near))
                used[i] = found = true;
        if (!found)
            missing.append(w);
    }
    return missing;
}

QString listed(const QList<Word> &words)
{
    QStringList texts;
    for (const Word &w : words)
        texts << QStringLiteral("\"%1\" (%2,%3)").arg(w.text).arg(w.box.x()).arg(w.box.y());
    return texts.join(QStringLiteral(", "));
}

// The horizontal distance, in pixels, from a Greek text's ink to the ink of the line it is
// written in, left and right; none when there is nothing on that side.
struct Gaps { std::optional<int> left, right; };

Gaps gapsAround(const DrawnText &greek, const QList<DrawnText> &line)
{
    const QList<QPoint> own = inkOf(greek);
    int top = INT_MAX, bottom = INT_MIN, leftmost = INT_MAX, rightmost = INT_MIN;
    for (QPoint p : own) {
        top = std::min(top, p.y()), bottom = std::max(bottom, p.y());
        leftmost = std::min(leftmost, p.x()), rightmost = std::max(rightmost, p.x());
    }
    const int centre = (leftmost + rightmost) / 2;
    Gaps gaps;
    for (const DrawnText &t : line)
        for (QPoint p : inkOf(t)) {
            if (p.y() < top || p.y() > bottom)
                continue;
            if (p.x() < centre)
                gaps.left = std::min(gaps.left.value_or(INT_MAX), leftmost - p.x() - 1);
            else
                gaps.right = std::min(gaps.right.value_or(INT_MAX), p.x() - rightmost - 1);
        }
    return gaps;
}

// Greek letters are written over a gap of a line of the page's own font, at its height within a
// few pixels: the texts of that line next to or around `greek`.
constexpr int LineDrift = 4;

QList<DrawnText> lineOf(const DrawnText &greek, const QList<DrawnText> &texts)
{
    QList<DrawnText> line;
    const int reach = greek.cell.height();
    for (const DrawnText &t : texts)
        if (!Fonts::isSymbol(t.fontName) && std::abs(t.cell.y() - greek.cell.y()) <= LineDrift
            && t.cell.intersects(greek.cell.adjusted(-reach, 0, reach, 0)))
            line.append(t);
    return line;
}

// Whether `greek` is written inside the cell of a text of its line, over its spaces.
bool inAGap(const DrawnText &greek, const QList<DrawnText> &line)
{
    return std::any_of(line.begin(), line.end(), [&](const DrawnText &t) {
        return greek.cell.left() > t.cell.left() && greek.cell.left() < t.cell.right();
    });
}

bool hasGreek(const DrawnText &text)
{
    return Fonts::isSymbol(text.fontName) && text.shown != text.text;
}

// The ink distance between two words one space apart, in the font of `text`.
int wordSpace(const DrawnText &text)
{
    DrawnText two = text;
    two.text = two.shown = QStringLiteral("n n");
    two.shifts.clear();
    QSet<int> columns;
    for (QPoint p : inkOf(two))
        columns.insert(p.x());
    int widest = 0, run = 0;
    const auto [first, last] = std::minmax_element(columns.begin(), columns.end());
    for (int x = *first; x <= *last; ++x)
        widest = std::max(widest, run = columns.contains(x) ? 0 : run + 1);
    return widest;
}
}

struct Count
{
    int words = 0;
    QList<Word> missed;
    int read() const { return words - int(missed.size()); }
    Count &operator+=(const Count &other) { words += other.words; missed += other.missed; return *this; }
};
struct Tally { Count small, large; };

Tally tallied(const Page &page)
{
    Tally tally;
    for (const Word &w : page.words)
        ++(w.small ? tally.small : tally.large).words;
    for (const Word &w : missed(page))
        (w.small ? tally.small : tally.large).missed.append(w);
    return tally;
}

// Where each Greek letter written into a line sits: its distance to the ink on either side,
// against the width of a space. Written to the kept folder, for whoever tunes the face.
QString gapReport(const QList<Page> &pages)
{
    QString report;
    QSet<QString> seen;
    for (const Page &page : pages)
        for (const DrawnText &greek : page.texts) {
            const QList<DrawnText> line = lineOf(greek, page.texts);
            const QString key = QStringLiteral("%1 at %2,%3").arg(greek.shown).arg(greek.cell.x()).arg(greek.cell.y());
            if (!hasGreek(greek) || line.isEmpty() || seen.contains(key))
                continue;
            seen.insert(key);
            const Gaps gaps = gapsAround(greek, line);
            const auto shown = [](std::optional<int> gap) { return gap ? QString::number(*gap) : QStringLiteral("-"); };
            report += QStringLiteral("%1 %2: left %3 right %4 (a space %5%6)\n").arg(page.name, key, shown(gaps.left), shown(gaps.right))
                          .arg(wordSpace(line.first())).arg(inAGap(greek, line) ? QStringLiteral(", in a gap") : QString());
        }
    return report;
}

class TestLegibility : public QObject
{
    Q_OBJECT

    QList<Page> m_pages;
    QTemporaryDir m_temporary;
    QString m_folder;

private slots:
    void initTestCase()
    {
        PllApplication::applyLook();
        QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
        QProcess langs;
        langs.start(QStringLiteral("tesseract"), {QStringLiteral("--list-langs")});
        QVERIFY2(langs.waitForFinished(30000) && langs.exitCode() == 0,
                 "tesseract not found: make test-deps installs tesseract-ocr and tesseract-ocr-fra");
        QVERIFY2(langs.readAllStandardOutput().split('\n').contains("fra"),
                 "tesseract has no French data: make test-deps installs tesseract-ocr-fra");
        m_folder = qEnvironmentVariable("PLL_LEGIBILITY_DIR");
        if (m_folder.isEmpty())
            m_folder = m_temporary.path();
        QVERIFY(QDir().mkpath(m_folder));

        playEveryPage();
        QList<Reading> readings;
        for (Page &page : m_pages)
            for (const Separation &separation : Separations)
                for (const char *layout : Layouts)
                    if (!page.words.isEmpty())
                        readings.append({&page, &separation, layout, {}, {}});
        QtConcurrent::blockingMap(readings, [this](Reading &reading) { read(reading, m_folder); });
        for (const Reading &reading : readings) {
            reading.page->read += reading.read;
            if (!reading.error.isEmpty())
                reading.page->error = reading.error;
        }

        for (const Page &page : m_pages) {
            const Tally tally = tallied(page);
            qInfo("%-28s small %2d/%2d  larger %3d/%3d  missed: %s", qPrintable(page.name), tally.small.read(), tally.small.words,
                  tally.large.read(), tally.large.words, qPrintable(listed(tally.small.missed + tally.large.missed)));
        }
        if (!qEnvironmentVariableIsEmpty("PLL_LEGIBILITY_DIR")) {
            for (const Page &page : m_pages)
                QVERIFY(page.image.scaled(page.image.size() * Zoom, Qt::IgnoreAspectRatio, Qt::FastTransformation)
                            .save(QDir(m_folder).filePath(page.name + QStringLiteral(".png"))));
            QFile gaps(QDir(m_folder).filePath(QStringLiteral("greek-gaps.txt")));
            QVERIFY(gaps.open(QIODevice::WriteOnly));
            gaps.write(gapReport(m_pages).toUtf8());
        }
    }

    void everyPageReadsBack_data()
    {
        QTest::addColumn<int>("index");
        for (int i = 0; i < m_pages.size(); ++i)
            if (!m_pages[i].words.isEmpty())
                QTest::addRow("%s", qPrintable(m_pages[i].name)) << i;
    }
    void everyPageReadsBack()
    {
        QFETCH(int, index);
        const Page &page = m_pages[index];
        QVERIFY2(page.error.isEmpty(), qPrintable(page.error));
        const Tally tally = tallied(page);
        QVERIFY2(tally.small.missed.size() <= allowedMisses(SmallPageFloor, tally.small.words),
                 qPrintable(QStringLiteral("small labels, %1 of %2 not read: %3").arg(tally.small.missed.size())
                                .arg(tally.small.words).arg(listed(tally.small.missed))));
        QVERIFY2(tally.large.missed.size() <= allowedMisses(LargePageFloor, tally.large.words),
                 qPrintable(QStringLiteral("%1 of %2 words not read: %3").arg(tally.large.missed.size())
                                .arg(tally.large.words).arg(listed(tally.large.missed))));
    }

    // Every Greek letter written into a line sits apart from its neighbours, by no more than the
    // line's word space; and no text runs out of the drawing area.
    void greekLettersSitInTheirLines()
    {
        int letters = 0;
        for (const Page &page : m_pages) {
            for (const DrawnText &t : page.texts) {
                const QList<QPoint> ink = inkOf(t);
                QVERIFY2(std::all_of(ink.begin(), ink.end(), [](QPoint p) { return p.x() >= 0 && p.x() < Canvas::Width; }),
                         qPrintable(QStringLiteral("%1: \"%2\" leaves the area").arg(page.name, t.shown)));
                const QList<DrawnText> line = lineOf(t, page.texts);
                if (!hasGreek(t) || line.isEmpty())
                    continue;
                ++letters;
                const Gaps gaps = gapsAround(t, line);
                const int space = wordSpace(line.first());
                for (const std::optional<int> &gap : {gaps.left, gaps.right})
                    QVERIFY2(!gap || (*gap >= 1 && *gap <= space),
                             qPrintable(QStringLiteral("%1: %2 at %3,%4 has a gap of %5 beside it (a space %6)").arg(page.name, t.shown)
                                            .arg(t.cell.x()).arg(t.cell.y()).arg(*gap).arg(space)));
            }
        }
        QVERIFY(letters > 0);
    }

    void allPagesTogetherReadBack()
    {
        Count small, large;
        for (const Page &page : m_pages) {
            const Tally tally = tallied(page);
            small += tally.small;
            large += tally.large;
        }
        QVERIFY2(small.read() >= SmallTotalFloor * small.words,
                 qPrintable(QStringLiteral("small labels: %1 of %2 read").arg(small.read()).arg(small.words)));
        QVERIFY2(large.read() >= LargeTotalFloor * large.words,
                 qPrintable(QStringLiteral("larger texts: %1 of %2 read").arg(large.read()).arg(large.words)));
    }

private:
    // The last picture of every step of every run (each picture once), with the texts it shows.
    void playEveryPage()
    {
        Stage stage;
        TextLog log;
        stage.canvas.setTextListener(&log);
        for (const PageRun &run : pageRuns()) {
            // A topic started again ends on the same page; the lab's tuning is its frequency view
            // again, one setting moved a step a tick.
            if (QByteArray(run.name).endsWith("restarted") || QByteArray(run.name) == "lab tuning")
                continue;
            log.texts.clear();
            std::vector<int> stepEnds;
            int total = 0;
            for (const RunStep &step : run.steps)
                stepEnds.push_back(total += step.ticks);
            int tick = 0;
            playRun(stage, run, [](Control) {}, [&](bool) {
                PageTick(stage);
                ++tick;
                const auto end = std::find(stepEnds.begin(), stepEnds.end(), tick);
                if (end == stepEnds.end())
                    return;
                const RunStep &step = run.steps[end - stepEnds.begin()];
                QString name = QString::fromLatin1(step.press || run.choice != 0 ? run.name : "presentation");
                name.replace(QLatin1Char(' '), QLatin1Char('-'));
                if (step.press && run.steps.size() > 2)
                    name += QLatin1Char('-') + QLatin1String(controlName(*step.press));
                const QImage image = stage.canvas.image().copy();
                if (std::any_of(m_pages.begin(), m_pages.end(), [&](const Page &p) { return p.image == image; }))
                    return;
                Page page{name, image, shownTexts(log.texts, image), {}, {}, {}};
                page.words = wordsOf(page.texts);
                m_pages.append(page);
            });
        }
        stage.canvas.setTextListener(nullptr);
    }
};

QTEST_MAIN(TestLegibility)
#include "tst_legibility.moc"
