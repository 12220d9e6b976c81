#pragma once

// A fully filled settlement for the filing's tests, the screenshot and the
// sample file: both statements, every annex, 19 places of work, as a legal
// or a natural person and as any statement type.

#include "SettlementFixture.h"

#include "data/TDM1.h"
#include "statements/Recalc.h"

#include <QDate>
#include <QVariant>

namespace filingtest {

using namespace Qt::StringLiterals;

enum class Payer
{
    Legal,
    Natural
};
enum class Type
{
    Regular,
    Corrective,
    Supplementary,
    SupplementaryCorrective
};

class DemoSettlement
{
public:
    // Creates the data root's templates and the settlement "D1" in `root`
    // and opens it.
    explicit DemoSettlement(const QString &root)
    {
        dir = dm1test::makeCurrentSettlement(root);
        dm.DM1Create(root);
        dm.setDatabasePath(dir);
        dm.OtevritTabulky();
    }
    ~DemoSettlement() { dm.Disconnect(); }

    // Sets one field of a one-record table: "PrpDic", "VdvlSl21".
    void set(const QString &field, const QVariant &value)
    {
        data::Field *f = dm.field(field);
        Q_ASSERT_X(f, "DemoSettlement::set", qPrintable(field));
        data::Dataset &table = *dm.findTable(field.left(field.startsWith(QStringLiteral("Prp")) ? 3 : 4));
        if (!table.isEditing())
            table.edit();
        f->setValue(value);
    }
    void postAll()
    {
        for (data::Dataset *t : {&dm.Prp(), &dm.Vdvl(), &dm.Vdvs(), &dm.Vpkv(), &dm.Vpkb()})
            if (t->isEditing())
                t->post();
    }

    void fill(Payer payer = Payer::Legal, Type type = Type::Regular)
    {
        using S = QString;
        const bool corrective = type == Type::Corrective || type == Type::SupplementaryCorrective;
        const bool supplementary = type == Type::Supplementary || type == Type::SupplementaryCorrective;
        set(u"PrpRok"_s, u"2015"_s);
        set(u"PrpZdo"_s, true);
        set(u"PrpDz"_s, QDate(2015, 1, 1));
        set(u"PrpDk"_s, QDate(2015, 12, 31));
        set(u"PrpDpdr1"_s, !corrective && !supplementary);
        set(u"PrpDpdo1"_s, corrective);
        set(u"PrpDpdd1"_s, supplementary);
        set(u"PrpDpdr2"_s, !corrective && !supplementary);
        set(u"PrpDpdo2"_s, corrective);
        set(u"PrpDpdd2"_s, supplementary);
        if (supplementary) {
            set(u"PrpDopd"_s, QDate(2016, 3, 10));
            set(u"PrpDops"_s, QDate(2016, 3, 11));
        }
        set(u"PrpDic"_s, u"CZ25123456"_s);
        for (int m = 1; m <= 12; ++m)
            set(u"PrpZ"_s + QString::number(m), 20 + m);
        set(u"PrpSes"_s, u"Jana Malá"_s);
        set(u"PrpTel"_s, u"603123456"_s);
        set(u"PrpEmlv"_s, u"mala@example.cz"_s);
        set(u"PrpDv"_s, QDate(2016, 2, 15));
        set(u"PrpOp"_s, 3);
        set(u"PrpPfo"_s, true);
        set(u"PrpVses"_s, u"Jana Malá"_s);
        set(u"PrpTelx"_s, u"603123456"_s);
        set(u"PrpEmlx"_s, u"mala@example.cz"_s);
        set(u"PrpDvs"_s, QDate(2016, 2, 16));
        if (payer == Payer::Legal) {
            set(u"PrpFusp"_s, u"hlavní město Prahu"_s);
            set(u"PrpFu"_s, u"Prahu 1"_s);
            set(u"PrpOjv"_s, u"Stavby Novák s.r.o."_s);
            set(u"PrpOjva"_s, u"odštěpný závod Sever"_s);
            set(u"PrpNpd"_s, u"Stavby Novák s.r.o."_s);
            set(u"PrpMi"_s, u"Dlouhá 1234/5a, 110 00 Praha 1"_s);
            set(u"PrpZjv"_s, u"Jan Novák, jednatel"_s);
            set(u"PrpOjs"_s, u"Stavby Novák s.r.o."_s);
            set(u"PrpOjsb"_s, u"odštěpný závod Sever"_s);
            set(u"PrpAdrb"_s, u"Dlouhá 1234/5a, 110 00 Praha 1"_s);
            set(u"PrpZjvs"_s, u"Jan Novák / jednatel"_s);
        } else {
            set(u"PrpFusp"_s, u"Středočeský kraj"_s);
            set(u"PrpFu"_s, u"Brandýse nad Labem"_s);
            set(u"PrpPrk"_s, u"Dvořáková"_s);
            set(u"PrpJmd"_s, u"Marie"_s);
            set(u"PrpTiv"_s, u"Ing."_s);
            set(u"PrpNpd"_s, u"Marie Dvořáková"_s);
            set(u"PrpMi"_s, u"Lhota 12, 25001 Brandýs nad Labem"_s);
            set(u"PrpKod"_s, u"H"_s);
            set(u"PrpDvo"_s, QDate(2016, 1, 20));
            set(u"PrpKzs"_s, u"4b"_s);
            set(u"PrpZjm"_s, u"Petr Svoboda"_s);
            set(u"PrpZde"_s, u"3456"_s);
            set(u"PrpPrks"_s, u"Dvořáková"_s);
            set(u"PrpJmds"_s, u"Marie"_s);
            set(u"PrpTi"_s, u"Ing."_s);
            set(u"PrpAdrb"_s, u"Lhota 12, 25001 Brandýs nad Labem"_s);
            set(u"PrpKzsa"_s, u"1"_s);
            set(u"PrpZjms"_s, u"Karel Dvořák"_s);
            set(u"PrpZdes"_s, u"1.2.1960"_s);
        }

        for (int m = 1; m <= 12; ++m) {
            const S n = S::number(m);
            set(u"VdvlSl2"_s + n, 10000.0 + m * 100);
            set(u"VdvlSl3"_s + n, 10000.0 + m * 100 - (m == 7 ? 40 : 0));
            set(u"VdvlSlb5"_s + n, 300.0);
            set(u"VdvlSl9"_s + n, 9000.0 + m * 100);
            set(u"VdvsSl1"_s + n, 1500.0 + m);
            set(u"VdvsSl2"_s + n, 1500.0 + m);
            set(u"VdvsSl10"_s + n, 1500.0 + m);
        }
        set(u"VdvlSlo33"_s, 500.0);
        set(u"VdvlSlc33"_s, u"123/15/2001"_s);
        set(u"VdvlSl53"_s, 1200.0);
        set(u"VdvlSl54"_s, 800.0);
        if (supplementary)
            set(u"VdvlSl75"_s, 250.0);
        set(u"VdvlC106"_s, 15000.0);
        set(u"VdvlC106a"_s, 2000.0);
        set(u"VdvlC404"_s, 200.0);
        set(u"VdvlC404a"_s, 100.0);
        set(u"VdvlMv1"_s, u"březen"_s);
        set(u"VdvlVc1"_s, 4000.0);
        set(u"VdvlMv2"_s, u"duben"_s);
        set(u"VdvlVc2"_s, 3000.0);
        set(u"VdvlZtv2"_s, 500.0);
        set(u"VdvlPzp2"_s, u"12.5.2015"_s);

        set(u"VdvsSl72"_s, 100.0);
        set(u"VdvsSl33"_s, 700.0);
        set(u"VdvsSlo74"_s, 200.0);
        set(u"VdvsSlc74"_s, u"77/2015"_s);
        if (supplementary)
            set(u"VdvsSl86"_s, 50.0);

        // Corrections: an advance, a tax of the year before, a row of the
        // last three.
        set(u"VpkvZ1"_s, u"Z"_s);
        set(u"VpkvN11"_s, u"3/2015"_s);
        set(u"VpkvN12"_s, u"15.4.2015"_s);
        set(u"VpkvN13"_s, u"květen 2015"_s);
        set(u"VpkvN14"_s, u"20. 6. 2015"_s);
        set(u"VpkvC15"_s, -350.0);
        set(u"VpkvZ2"_s, u"D"_s);
        set(u"VpkvN21"_s, u"2014"_s);
        set(u"VpkvN22"_s, u"1.4.2015"_s);
        set(u"VpkvN23"_s, u"04.2015"_s);
        set(u"VpkvN24"_s, u"20.5.2015"_s);
        set(u"VpkvC25"_s, 1200.0);
        set(u"VpkvZ16a"_s, u"Z"_s);
        set(u"VpkvN161a"_s, u"11/2015"_s);
        set(u"VpkvN162a"_s, u"15.12.2015"_s);
        set(u"VpkvN163a"_s, u"12/2015"_s);
        set(u"VpkvN164a"_s, u"20.1.2016"_s);
        set(u"VpkvC165a"_s, 100.0);

        set(u"VpkbM1"_s, u"M"_s);
        set(u"VpkbN11"_s, u"2/2015"_s);
        set(u"VpkbN12"_s, u"15.3.2015"_s);
        set(u"VpkbN13"_s, u"4/2015"_s);
        set(u"VpkbN14"_s, u"20.5.2015"_s);
        set(u"VpkbC16"_s, -117.0);
        set(u"VpkbM2"_s, u"D"_s);
        set(u"VpkbN21"_s, u"2014"_s);
        set(u"VpkbN22"_s, u"15.3.2015"_s);
        set(u"VpkbN23"_s, u"3/2015"_s);
        set(u"VpkbN24"_s, u"20.4.2015"_s);
        set(u"VpkbN25"_s, u"10.4.2015"_s);
        set(u"VpkbC26"_s, -500.0);
        postAll();
        statements::PrepocetVY(dm);

        static const QList<std::tuple<const char16_t *, const char16_t *, const char16_t *, const char16_t *>>
            towns = {{u"Praha", u"554782", u"Praha", u"Kancelář"},
                     {u"Brno", u"582786", u"Brno-město", u"Stavba"},
                     {u"Ostrava", u"554821", u"Ostrava-město", u"Sklad"},
                     {u"Plzeň", u"554791", u"Plzeň-město", u"Dílna"},
                     {u"Kladno", u"532053", u"Kladno", u"Provozovna"}};
        data::Dataset &vpz = dm.Vpz();
        for (int i = 0; i < 19; ++i) {
            const auto &[town, code, district, kind] = towns[i % towns.size()];
            vpz.append();
            vpz.fieldByName(u"N3"_s)->setAsString(QString::fromUtf16(kind) + u' ' + S::number(i + 1));
            vpz.fieldByName(u"C4"_s)->setAsFloat(3 + i);
            vpz.fieldByName(u"N5"_s)->setAsString(QString::fromUtf16(town));
            vpz.fieldByName(u"N6"_s)->setAsString(QString::fromUtf16(code));
            vpz.fieldByName(u"N7"_s)->setAsString(QString::fromUtf16(district));
            vpz.post();
        }
    }

    statements::StatementRecalc recalc;
    data::TDM1 dm{data::Collaborators::windowless(recalc)};
    QString dir;
};

} // namespace filingtest
