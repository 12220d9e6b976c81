#pragma once

// A fully filled settlement for the page tests and the benchmark: every
// printed box of the company data and both statements holds a value.

#include "SettlementFixture.h"
#include "StatusRecorder.h"
#include "data/TDM1.h"
#include "print/FormPages.h"
#include "statements/Recalc.h"

#include <QDate>
#include <QTemporaryDir>
#include <QVariant>

#include <memory>

namespace printtest {

inline void set(data::TDM1 &dm, const QString &qualified, const QVariant &value)
{
    data::Field *f = dm.field(qualified);
    Q_ASSERT_X(f, "printtest::set", qPrintable(qualified));
    f->setValue(value);
}

// Company data and both statements of a typical small employer.
inline void fillDemo(data::TDM1 &dm)
{
    using namespace Qt::StringLiterals;
    data::Dataset &prp = dm.Prp();
    prp.edit();
    const QList<std::pair<QString, QVariant>> company{
        {u"Rok"_s, u"2015"_s},
        {u"Zdo"_s, true},
        {u"Dz"_s, QDate(2015, 1, 1)},
        {u"Dk"_s, QDate(2015, 12, 31)},
        {u"Dpdr1"_s, true},
        {u"Dpdr2"_s, true},
        {u"Dic"_s, u"CZ12345678"_s},
        {u"Kod"_s, u"A"_s},
        {u"Dvo"_s, QDate(2015, 3, 5)},
        {u"Fusp"_s, u"Jihomoravský kraj"_s},
        {u"Fu"_s, u"Brno I"_s},
        {u"Prk"_s, u"Novák"_s},
        {u"Jmd"_s, u"Jan"_s},
        {u"Tiv"_s, u"Ing."_s},
        {u"Ojv"_s, u"Stavby Novák s.r.o."_s},
        {u"Ojva"_s, u"stavební práce a projekty"_s},
        {u"Npd"_s, u"Stavby Novák s.r.o."_s},
        {u"Mi"_s, u"Hlavní 12, 602 00 Brno"_s},
        {u"Kzs"_s, u"1"_s},
        {u"Zjm"_s, u"Jan Novák"_s},
        {u"Zde"_s, u"12.05.1970"_s},
        {u"Zjv"_s, u"jednatel"_s},
        {u"Ses"_s, u"Marie Dvořáková"_s},
        {u"Tel"_s, u"543210987"_s},
        {u"Emlv"_s, u"mzdy@stavbynovak.cz"_s},
        {u"Dv"_s, QDate(2016, 2, 15)},
        {u"Op"_s, 1},
        {u"Pfo"_s, false},
        {u"Prks"_s, u"Novák"_s},
        {u"Jmds"_s, u"Jan"_s},
        {u"Ti"_s, u"Ing."_s},
        {u"Ojs"_s, u"Stavby Novák s.r.o."_s},
        {u"Ojsb"_s, u"stavební práce a projekty"_s},
        {u"Adrb"_s, u"Hlavní 12, 602 00 Brno"_s},
        {u"Lhp"_s, QDate(2016, 3, 31)},
        {u"Vses"_s, u"Marie Dvořáková"_s},
        {u"Telx"_s, u"543210987"_s},
        {u"Emlx"_s, u"mzdy@stavbynovak.cz"_s},
        {u"Dvs"_s, QDate(2016, 2, 15)},
        {u"Ops"_s, 0},
        {u"Kzsa"_s, u"1"_s},
        {u"Zjms"_s, u"Jan Novák"_s},
        {u"Zdes"_s, u"12.05.1970"_s},
        {u"Zjvs"_s, u"jednatel"_s},
    };
    for (const auto &[name, value] : company)
        set(dm, u"Prp"_s + name, value);
    for (int m = 1; m <= 12; ++m)
        set(dm, u"PrpZ"_s + QString::number(m), 10 + m % 3);
    prp.post();

    data::Dataset &vdvl = dm.Vdvl();
    vdvl.edit();
    for (int m = 1; m <= 12; ++m) {
        const QString n = QString::number(m);
        set(dm, u"VdvlSl2"_s + n, 41250.0 + 100 * m);
        set(dm, u"VdvlSl3"_s + n, 41250.0 + 100 * m);
        set(dm, u"VdvlSl5"_s + n, m == 3 ? 5230.0 : 0.0);
        set(dm, u"VdvlSlb5"_s + n, 1117.0);
        set(dm, u"VdvlSl9"_s + n, 40133.0 + 100 * m - (m == 3 ? 5230 : 0));
    }
    set(dm, u"VdvlSlo34"_s, 2000.0);
    set(dm, u"VdvlSlc34"_s, u"123/15/4567"_s);
    set(dm, u"VdvlSl78"_s, 350.0);
    set(dm, u"VdvlC106"_s, 5230.0);
    set(dm, u"VdvlC106a"_s, 2400.0);
    set(dm, u"VdvlMv1"_s, u"březen"_s);
    set(dm, u"VdvlVc1"_s, 5230.0);
    set(dm, u"VdvlPzp1"_s, u"10.04.2015"_s);
    set(dm, u"VdvlC404"_s, 0.0);
    set(dm, u"VdvlC404a"_s, 0.0);
    vdvl.post();

    data::Dataset &vdvs = dm.Vdvs();
    vdvs.edit();
    for (int m = 1; m <= 12; ++m) {
        const QString n = QString::number(m);
        set(dm, u"VdvsSl1"_s + n, 1500.0 + 10 * m);
        set(dm, u"VdvsSl2"_s + n, 1500.0 + 10 * m);
        set(dm, u"VdvsSl10"_s + n, 1500.0 + 10 * m);
    }
    set(dm, u"VdvsSl35"_s, 300.0);
    set(dm, u"VdvsSlo76"_s, 200.0);
    set(dm, u"VdvsSlc76"_s, u"77/2015"_s);
    vdvs.post();

    data::Dataset &vpkv = dm.Vpkv();
    vpkv.edit();
    const QList<std::pair<QString, QVariant>> corrections{
        {u"Z1"_s, u"Z"_s},          {u"N11"_s, u"03/2015"_s},      {u"N12"_s, u"20.04.2015"_s},
        {u"N13"_s, u"05/2015"_s},   {u"N14"_s, u"20.06.2015"_s},   {u"C15"_s, 1200.0},
        {u"Z15a"_s, u"D"_s},        {u"N151a"_s, u"2014"_s},       {u"N152a"_s, u"15.02.2015"_s},
        {u"N153a"_s, u"11/2015"_s}, {u"N154a"_s, u"20.12.2015"_s}, {u"C155a"_s, -300.0},
    };
    for (const auto &[name, value] : corrections)
        set(dm, u"Vpkv"_s + name, value);
    vpkv.post();

    data::Dataset &vpkb = dm.Vpkb();
    vpkb.edit();
    const QList<std::pair<QString, QVariant>> bonus{
        {u"M1"_s, u"M"_s},        {u"N11"_s, u"02/2015"_s},    {u"N12"_s, u"20.03.2015"_s},
        {u"N13"_s, u"04/2015"_s}, {u"N14"_s, u"20.05.2015"_s}, {u"N15"_s, u"12.05.2015"_s},
        {u"C16"_s, 1117.0},
    };
    for (const auto &[name, value] : bonus)
        set(dm, u"Vpkb"_s + name, value);
    vpkb.post();

    dm.Dmt().edit();
    set(dm, u"DmtDpt"_s, 0);
    set(dm, u"DmtDpl"_s, 0);
    set(dm, u"DmtKop"_s, 1);
    dm.Dmt().post();

    // Places of work for the employee count.
    data::Dataset &vpz = dm.Vpz();
    const struct
    {
        const char16_t *name;
        double count;
        const char16_t *town, *code, *district;
    } places[] = {{u"Sídlo společnosti", 12, u"Brno", u"582786", u"Brno-město"},
                  {u"Stavba Modřice", 23, u"Modřice", u"583413", u"Brno-venkov"},
                  {u"Sklad Slavkov", 4, u"Slavkov u Brna", u"593583", u"Vyškov"}};
    for (const auto &p : places) {
        vpz.append();
        set(dm, u"VpzN3"_s, QString::fromUtf16(p.name));
        set(dm, u"VpzC4"_s, p.count);
        set(dm, u"VpzN5"_s, QString::fromUtf16(p.town));
        set(dm, u"VpzN6"_s, QString::fromUtf16(p.code));
        set(dm, u"VpzN7"_s, QString::fromUtf16(p.district));
        vpz.post();
    }

    statements::StatementRecalc recalc;
    recalc.VypocetVdvl1(dm);
    recalc.VypocetVdvs1(dm);
}

// A data root in `root` with one filled settlement in "D1/", opened in dm.
inline QString openDemo(data::TDM1 &dm, const QString &root)
{
    const QString dir = dm1test::makeCurrentSettlement(root);
    dm.DM1Create(root);
    dm.setDatabasePath(dir);
    dm.OtevritTabulky();
    fillDemo(dm);
    return dir;
}

// The filled settlement opened for a test program's lifetime, with the
// form pages of it.
struct Demo
{
    QTemporaryDir root;
    statustest::StatusRecorder status;
    data::TDM1 dm{{.status = status, .caption = data::none, .datePicker = data::none, .recalc = data::none}};
    QString dir;
    std::unique_ptr<print::FormPages> pages;

    Demo() : dir(openDemo(dm, root.path())), pages(std::make_unique<print::FormPages>(dm)) {}
    ~Demo()
    {
        pages.reset();
        dm.Disconnect();
    }
};

} // namespace printtest
