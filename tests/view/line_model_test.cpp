// The rows of the line view: the picture and visibility rules, the model keeping texts and
// records together through every change, and how a line's bytes become display text and runs.

#include <QAbstractItemModelTester>
#include <QIcon>
#include <QSignalSpy>
#include <QTest>

#include "view/line_model.h"
#include "view/line_text.h"
#include "view/pictures.h"
#include "view_test_support.h"

class LineModelTest : public QObject {
    Q_OBJECT
private slots:
    void pictureRule_data();
    void pictureRule();
    void rowsAndRecordsStayInStep();
    void resetMatchesRecordsToTexts();
    void displayTextShowsEveryByteAsOneCharacter();
    void runsFindAnchoredWords_data();
    void runsFindAnchoredWords();
    void picturesAreDistinct();
};

void LineModelTest::pictureRule_data()
{
    QTest::addColumn<CLineRecord>("record");
    QTest::addColumn<int>("hiddenFlag"); // -1: the default flags
    QTest::addColumn<int>("picture");

    QTest::newRow("plain") << CLineRecord() << -1 << int(PictureNone);
    CLineRecord unknownKind;
    unknownKind.nKind = 7;
    QTest::newRow("unknown kind") << unknownKind << -1 << int(PictureNone);
    CLineRecord plainMarked;
    plainMarked.bBookmark = 1;
    QTest::newRow("bookmarked plain line") << plainMarked << -1 << int(PictureBookmark);

    QTest::newRow("kind 2") << LinkRecord(OrvoLinkExisting, 5) << -1 << int(PictureOrvoLinkExisting);
    QTest::newRow("kind 3") << LinkRecord(OrvoLinkNew, 5) << -1 << int(PictureOrvoLinkNew);
    QTest::newRow("kind 4 is the new intra-base link") << LinkRecord(InnerLinkNew, 5) << -1 << int(PictureInnerLinkNew);
    QTest::newRow("kind 5 is the existing one") << LinkRecord(InnerLinkExisting, 5) << -1
                                                << int(PictureInnerLinkExisting);
    QTest::newRow("kind 2 hidden by flag 0") << LinkRecord(OrvoLinkExisting, 5) << 0 << int(PictureNone);
    QTest::newRow("kind 3 hidden by flag 1") << LinkRecord(OrvoLinkNew, 5) << 1 << int(PictureNone);
    QTest::newRow("kind 5 hidden by flag 2") << LinkRecord(InnerLinkExisting, 5) << 2 << int(PictureNone);
    QTest::newRow("kind 4 hidden by flag 3") << LinkRecord(InnerLinkNew, 5) << 3 << int(PictureNone);
    QTest::newRow("kind 4 not hidden by flag 2") << LinkRecord(InnerLinkNew, 5) << 2 << int(PictureInnerLinkNew);
    CLineRecord markedTag = LinkRecord(OrvoLinkExisting, 5);
    markedTag.bBookmark = 1;
    QTest::newRow("bookmark wins over a link") << markedTag << -1 << int(PictureBookmark);
    QTest::newRow("bookmark wins over a hidden link") << markedTag << 0 << int(PictureBookmark);

    QTest::newRow("Orvo only") << SuspectRecord(true, false, 2) << -1 << int(PictureSuspectOrvo);
    QTest::newRow("local only, one kind") << SuspectRecord(false, true, 1) << -1 << int(PictureSuspectLocal);
    QTest::newRow("local only, nothing determined") << SuspectRecord(false, true, 0) << -1 << int(PictureNone);
    QTest::newRow("both, nothing determined: the Orvo flag suffices")
        << SuspectRecord(true, true, 0) << -1 << int(PictureSuspectBoth);
    QTest::newRow("both, Orvo group hidden, local shown")
        << SuspectRecord(true, true, 3) << 7 << int(PictureSuspectBoth);
    QTest::newRow("Orvo only, its group hidden") << SuspectRecord(true, false, 4) << 8 << int(PictureNone);
    QTest::newRow("Orvo only, the local group of its count hidden")
        << SuspectRecord(true, false, 4) << 13 << int(PictureSuspectOrvo);
    QTest::newRow("suspicious for neither base") << SuspectRecord(false, false, 2) << -1 << int(PictureNone);
}

void LineModelTest::pictureRule()
{
    QFETCH(CLineRecord, record);
    QFETCH(int, hiddenFlag);
    QFETCH(int, picture);
    ShownPicturesFlags flags = DefaultShownPictures();
    if (hiddenFlag >= 0)
        flags[hiddenFlag] = 0;
    QCOMPARE(PictureIndex(record, flags), picture);

    // The model serves the same picture, and an icon exactly when there is one.
    CLineModel model;
    model.ShownPictures() = flags;
    model.Reset({ "line" }, { record });
    QCOMPARE(model.index(0).data(CLineModel::PictureRole).toInt(), picture);
    QCOMPARE(model.index(0).data(Qt::DecorationRole).isValid(), picture != PictureNone);
}

void LineModelTest::rowsAndRecordsStayInStep()
{
    CLineModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    std::vector<std::string> texts;
    std::vector<CLineRecord> records;
    for (int i = 0; i < 6; ++i) {
        texts.push_back("line " + std::to_string(i));
        CLineRecord r;
        r.recvFound.nBaseNumber = i; // tells the records apart
        records.push_back(r);
    }
    model.Reset(texts, records);

    const auto check = [&model](const std::vector<int>& order) {
        QCOMPARE(model.Count(), static_cast<int>(order.size()));
        for (int row = 0; row < model.Count(); ++row) {
            QCOMPARE(model.Text(row), "line " + std::to_string(order[row]));
            QCOMPARE(model.Record(row).recvFound.nBaseNumber, order[row]);
            QCOMPARE(model.index(row).data(CLineModel::TextRole).toByteArray(),
                QByteArray::fromStdString(model.Text(row)));
        }
    };

    CLineRecord tag = LinkRecord(OrvoLinkNew, 77);
    tag.recvFound.nBaseNumber = 9;
    model.InsertLine(2, "line 9", tag);
    check({ 0, 1, 9, 2, 3, 4, 5 });
    QCOMPARE(model.index(2).data(CLineModel::KindRole).toInt(), int(OrvoLinkNew));

    model.RemoveLine(0);
    check({ 1, 9, 2, 3, 4, 5 });

    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    model.SwapLines(1, 2);
    check({ 1, 2, 9, 3, 4, 5 });
    QCOMPARE(changed.count(), 2);

    model.MoveLine(0, 4); // down
    check({ 2, 9, 3, 4, 1, 5 });
    model.MoveLine(5, 0); // up
    check({ 5, 2, 9, 3, 4, 1 });
    model.MoveLine(3, 4); // one down, the move of a tag line
    check({ 5, 2, 9, 4, 3, 1 });

    model.SetBookmark(3, true);
    QCOMPARE(model.index(3).data(CLineModel::PictureRole).toInt(), int(PictureBookmark));
    model.MoveLine(3, 2);
    QCOMPARE(model.Record(2).bBookmark, 1);
    QCOMPARE(model.Record(3).bBookmark, 0);

    std::vector<std::string> outTexts;
    std::vector<CLineRecord> outRecords;
    model.Copy(outTexts, &outRecords);
    QCOMPARE(outTexts.size(), outRecords.size());
    QCOMPARE(outTexts, model.Texts());
    QCOMPARE(outRecords[2].bBookmark, 1);
}

void LineModelTest::resetMatchesRecordsToTexts()
{
    CLineModel model;
    model.Reset({ "a", "b", "c" }, { LinkRecord(OrvoLinkNew, 3) });
    QCOMPARE(model.Records().size(), std::size_t(3));
    QCOMPARE(model.Record(0).nKind, int(OrvoLinkNew));
    // The made-up records are new ones: nothing linked.
    QCOMPARE(model.Record(2).nKind, int(Plain));
    QCOMPARE(model.Record(2).recvOrvo.nBaseNumber, -1);

    model.Reset({ "a" }, { CLineRecord(), CLineRecord() });
    QCOMPARE(model.Records().size(), std::size_t(1));
    QCOMPARE(model.rowCount(), 1);
}

void LineModelTest::displayTextShowsEveryByteAsOneCharacter()
{
    // A tag line, anchor markers, all eleven frame codes, another control code, Cyrillic.
    const std::string line = std::string("\x04\x04") + Cp("СС_") + "\x01" + Cp("Закон") + "\x03" + Cp("ё") + "\x02"
        + "\x1B\x16\x18\x1A\x12\x10\x13\x11\x1C\x19\x15" + "\x07" + "\x7F";
    const QString shown = LineDisplayText(line);
    QCOMPARE(shown.size(), static_cast<qsizetype>(line.size()));
    QCOMPARE(shown.mid(2, 3), QStringLiteral("СС_"));
    QCOMPARE(shown.mid(6, 5), QStringLiteral("Закон"));
    QCOMPARE(shown.mid(12, 1), QStringLiteral("ё"));
    QCOMPARE(shown.mid(14, 11), QStringLiteral("┌─┬┐│├┼┤└┴┘"));
    // Markers and control codes are visible, distinct, and none of them a character of the page,
    // so the display can never be mistaken for text.
    const QList<int> controlAt = { 0, 5, 11, 13, 25, 26 };
    QSet<QChar> glyphs;
    for (int at : controlAt) {
        const QChar c = shown.at(at);
        QVERIFY2(c.isPrint(), qPrintable(QStringLiteral("position %1").arg(at)));
        QCOMPARE(codepage::Cp1251FromUnicode(c.unicode()), -1);
        glyphs.insert(c);
    }
    QCOMPARE(shown.at(0), shown.at(1));
    QCOMPARE(glyphs.size(), 6); // tag lead, start, separator, end, code 7, code 7F
    QCOMPARE(GlyphOf(0x04).kind, GlyphKind::TagLead);
    QCOMPARE(GlyphOf(0x16).arms, std::uint8_t(ArmLeft | ArmRight));
    QCOMPARE(GlyphOf(0x1B).arms, std::uint8_t(ArmRight | ArmDown));
    QCOMPARE(GlyphOf(0x14).kind, GlyphKind::Control); // inside the range, but no frame piece

    CLineModel model;
    model.Reset({ line }, {});
    QCOMPARE(model.index(0).data(Qt::DisplayRole).toString(), shown);
    // The stored bytes are untouched by display.
    QCOMPARE(model.index(0).data(CLineModel::TextRole).toByteArray().toStdString(), line);
}

void LineModelTest::runsFindAnchoredWords_data()
{
    QTest::addColumn<QByteArray>("line");
    // One letter per byte: t text, a anchored text, g glyph.
    QTest::addColumn<QString>("kinds");

    QTest::newRow("plain") << QByteArray("ab cd") << "ttttt";
    QTest::newRow("start and end") << QByteArray("x \x01w v\x02 y") << "ttgaaagtt";
    QTest::newRow("separator keeps the anchor") << QByteArray("\x01u\x03v\x02z") << "gagagt";
    QTest::newRow("end only: anchored from the line start") << QByteArray("word\x02 rest") << "aaaagttttt";
    QTest::newRow("start only: anchored to the line end") << QByteArray("rest \x01word") << "tttttgaaaa";
    QTest::newRow("tag lead and frame are glyphs") << QByteArray("\x04\x04\x12x\x12") << "gggtg";
    QTest::newRow("two anchors") << QByteArray("\x01" "a\x02 b \x01" "c\x02") << "gagtttgag";
}

void LineModelTest::runsFindAnchoredWords()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, kinds);
    QString got;
    int next = 0;
    for (const LineRun& run : SplitLineRuns(std::string_view(line.constData(), std::size_t(line.size())))) {
        QCOMPARE(run.start, next); // runs cover the line without gaps
        next += run.length;
        const QChar k = run.kind == LineRun::Text ? u't' : run.kind == LineRun::Anchor ? u'a' : u'g';
        if (run.kind == LineRun::Glyph)
            QCOMPARE(run.length, 1);
        got += QString(run.length, k);
    }
    QCOMPARE(got, kinds);
}

void LineModelTest::picturesAreDistinct()
{
    // Eight different drawings, each at both sizes, none of them empty.
    QSet<QByteArray> drawn;
    for (int i = 0; i < kPictureCount; ++i) {
        const QImage small = DrawLinePicture(i, 16).toImage();
        const QImage large = DrawLinePicture(i, 32).toImage();
        QCOMPARE(small.size(), QSize(16, 16));
        QCOMPARE(large.size(), QSize(32, 32));
        int painted = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                painted += qAlpha(small.pixel(x, y)) > 128 ? 1 : 0;
        QVERIFY2(painted > 30, qPrintable(QStringLiteral("picture %1 is nearly empty").arg(i)));
        drawn.insert(QByteArray(reinterpret_cast<const char*>(small.constBits()), small.sizeInBytes()));
        QVERIFY(!LinePictureIcon(i).isNull());
        QVERIFY(LinePictureIcon(i).availableSizes().contains(QSize(32, 32)));
    }
    QCOMPARE(drawn.size(), kPictureCount);
    QVERIFY(LinePictureIcon(PictureNone).isNull());
}

QTEST_MAIN(LineModelTest)
#include "line_model_test.moc"
