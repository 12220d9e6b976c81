// The filing's attribute <- field mapping: every field it names is in its
// table, every attribute in its element of the published schema, the docs'
// table is generated from it, and the writer writes nothing it lacks.
#include "data/DataError.h"
#include "data/TableDefs.h"
#include "filing/EpoMapping.h"

#include <QDate>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

using namespace Qt::StringLiterals;
using filing::EpoAttribute;
using filing::EpoMapping;
using filing::Form;

class TestEpoMapping : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void namesOnlyKnownFields();
    void misspellingsAreFound();
    void attributesAreTheSchemas_data();
    void attributesAreTheSchemas();
    void docsTableIsTheMapping();
    void writerWritesOnlyWhatIsMapped();
};

void TestEpoMapping::namesOnlyKnownFields()
{
    QCOMPARE(EpoMapping::builtIn().problems(), QStringList());
}

void TestEpoMapping::misspellingsAreFound()
{
    EpoMapping m = EpoMapping::builtIn();
    m.attributes.append(EpoAttribute{Form::Employment, u"VetaO"_s, u"kc_dpzi99"_s, u"Vdvl.Sl2{n}x"_s,
                                     filing::EpoValue::Amount});
    m.attributes.append(
        EpoAttribute{Form::Employment, u"VetaD"_s, u"uhrnprepl"_s, u"Vdlv.C106"_s, filing::EpoValue::Amount});
    m.attributes.append(
        EpoAttribute{Form::Withholding, u"VetaX"_s, u"mesic"_s, QString(), filing::EpoValue::Rule});
    const QStringList problems = m.problems();
    // One line for each of the twelve months of the misspelt column.
    QCOMPARE(problems.filter(u"DPZVD6.VetaO.kc_dpzi99: Vdvl.Sl2"_s).size(), 12);
    QVERIFY(problems.contains(u"DPZVD6.VetaO.kc_dpzi99: Vdvl.Sl212x"_s));
    QVERIFY(problems.contains(u"DPZVD6.VetaD.uhrnprepl: twice"_s));
    QVERIFY(problems.contains(u"DPZVD6.VetaD.uhrnprepl: no table in Vdlv.C106"_s));
    QVERIFY(problems.contains(u"DPSVD2.VetaX.mesic: the element is not listed"_s));
    QCOMPARE(problems.size(), 15);
    // The writer asking for an attribute the mapping lacks is refused.
    QVERIFY_THROWS_EXCEPTION(platform::Error, m.fields(Form::Employment, u"VetaO", u"kc_dpzi12", 1));
}

void TestEpoMapping::attributesAreTheSchemas_data()
{
    QTest::addColumn<QString>("folder");
    QTest::newRow("compiled in") << u":/filing/"_s;
    QTest::newRow("published") << QStringLiteral(QESTO_SHARED_DIR) + u"/epo/"_s;
}

// Each attribute is declared in its own element's block of the schema.
void TestEpoMapping::attributesAreTheSchemas()
{
    QFETCH(QString, folder);
    const EpoMapping &m = EpoMapping::builtIn();
    for (const Form form : {Form::Employment, Form::Withholding}) {
        QFile f(folder + filing::formCode(form).toLower() + u".xsd"_s);
        if (!f.open(QIODevice::ReadOnly))
            QSKIP("The published schemas (../shared/epo) are not here.");
        const QString xsd = QString::fromUtf8(f.readAll());
        for (const EpoAttribute &a : m.attributes) {
            if (a.form != form)
                continue;
            const qsizetype start = xsd.indexOf(u"name=\""_s + a.element + u'"');
            QVERIFY2(start > 0, qPrintable(a.element));
            const QString block = xsd.mid(start, xsd.indexOf(u"</xs:complexType>"_s, start) - start);
            QStringList names;
            for (int n = 1; n <= std::max(a.repeat, 1); ++n)
                names.append(filing::expandSource(a.attribute, n, {}));
            if (!a.monthAttribute.isEmpty())
                names.append(a.monthAttribute);
            for (const QString &name : names) {
                const QRegularExpressionMatch tag =
                    QRegularExpression(u"<xs:attribute[^>]*\\bname=\"%1\"[^>]*>"_s.arg(name)).match(block);
                const QString id = filing::formCode(form) + u'.' + a.element + u'.' + name;
                QVERIFY2(tag.hasMatch(), qPrintable(id));
                // A constant is the value the schema fixes.
                if (a.value == filing::EpoValue::Constant)
                    QVERIFY2(tag.captured().contains(u"fixed=\"%1\""_s.arg(a.note)), qPrintable(id));
            }
        }
    }
}

// docs/filing.md holds each form's table as the mapping renders it; when
// they differ, the table to paste is written beside the test.
void TestEpoMapping::docsTableIsTheMapping()
{
    QFile docs(QStringLiteral(QESTO_TEST_SOURCE_DIR) + u"/../../docs/filing.md"_s);
    QVERIFY(docs.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(docs.readAll());
    for (const Form form : {Form::Employment, Form::Withholding}) {
        const QString begin = u"<!-- mapping %1 begin -->\n"_s.arg(filing::formCode(form));
        const QString end = u"<!-- mapping %1 end -->"_s.arg(filing::formCode(form));
        const qsizetype from = text.indexOf(begin);
        const qsizetype to = text.indexOf(end);
        QVERIFY2(from >= 0 && to > from, qPrintable(begin));
        const QString expected = EpoMapping::builtIn().markdown(form);
        if (text.mid(from + begin.size(), to - from - begin.size()) != expected) {
            QFile out(u"mapping-%1.md"_s.arg(filing::formCode(form)));
            if (out.open(QIODevice::WriteOnly))
                out.write(expected.toUtf8());
            QFAIL(
                qPrintable(u"docs/filing.md differs from the mapping; the table is in "_s + out.fileName()));
        }
    }
}

// A settlement with every field filled: each written attribute is in the
// mapping of its element, in the mapping's order.
void TestEpoMapping::writerWritesOnlyWhatIsMapped()
{
    filing::Snapshot s;
    const auto fill = [](data::TableId id, const QVariant &amount, const QVariant &text) {
        filing::Snapshot::Record r;
        const data::TableDef &def = data::tableDef(id);
        for (const data::FieldInfo &f : def.fields())
            r.insert(f.name, f.kind == data::FieldKind::Text      ? text
                             : f.kind == data::FieldKind::Date    ? QVariant(QDate(2015, 3, 1))
                             : f.kind == data::FieldKind::Logical ? QVariant(true)
                                                                  : amount);
        for (const data::CalcFieldInfo &f : def.calculatedFields())
            r.insert(f.name, f.kind == data::FieldKind::Text ? text : amount);
        return r;
    };
    s.prp = fill(data::TableId::Prp, 7, u"Firma s.r.o."_s);
    s.prp[u"Kzs"_s] = u"4c"_s;
    s.vdvl = fill(data::TableId::Vdvl, 100, u"březen 2015"_s);
    s.vdvs = fill(data::TableId::Vdvs, 100, u"12/2015"_s);
    s.vpkv = fill(data::TableId::Vpkv, -5, u"3/2015"_s);
    s.vpkb = fill(data::TableId::Vpkb, -5, u"15.4.2015"_s);
    s.places = {{u"Sídlo"_s, 3, u"Brno"_s, u"582786"_s, u"Brno-město"_s}};
    filing::Filer filer;
    filer.office = 451;
    filer.workplace = 2001;
    filer.address = {u"Dlouhá"_s, u"12"_s, u"5a"_s, u"11000"_s, u"Praha 1"_s};
    filer.signatory = statements::SignatoryKind::LegalPerson;

    static const QRegularExpression element(u"^\\s*<(Veta\\w)((?: \\w+=\"[^\"]*\")*)/>$"_s);
    static const QRegularExpression attribute(u" (\\w+)="_s);
    const EpoMapping &m = EpoMapping::builtIn();
    for (const Form form : {Form::Employment, Form::Withholding}) {
        const filing::EpoDocument doc = filing::writeEpo(form, s, filer, {u"Qesto"_s, u"14.10"_s});
        QSet<QString> written;
        for (const QString &line : QString::fromUtf8(doc.xml).split(u'\n')) {
            const QRegularExpressionMatch e = element.match(line);
            if (!e.hasMatch())
                continue;
            QStringList order;
            for (const EpoAttribute *a : m.of(form, e.captured(1))) {
                for (int n = 1; n <= std::max(a->repeat, 1); ++n)
                    order.append(filing::expandSource(a->attribute, n, {}));
                if (!a->monthAttribute.isEmpty())
                    order.append(a->monthAttribute);
            }
            qsizetype at = -1;
            for (auto it = attribute.globalMatch(e.captured(2)); it.hasNext();) {
                const QString name = it.next().captured(1);
                const qsizetype next = order.indexOf(name, at + 1);
                QVERIFY2(next > at, qPrintable(e.captured(1) + u'.' + name));
                at = next;
                written.insert(e.captured(1));
            }
        }
        for (const filing::EpoElement &el : m.elements) {
            if (el.form == form)
                QVERIFY2(written.contains(el.element), qPrintable(el.element));
        }
    }
}

QTEST_GUILESS_MAIN(TestEpoMapping)
#include "test_epo_mapping.moc"
