#include "batch/instructions.h"

#include "platform/dataset/dataset.h"
#include "platform/dataset/dbgrid.h"
#include "store/record.h"

namespace instructions {

void CreateTable(Dataset& cds1) {
    struct Def {
        const char16_t* name;
        int size;
        bool required;
    };
    static constexpr Def kDefs[] = {
        {u"cpflag", 6, true},    {u"payacct", 20, true},      {u"recacct", 20, true},
        {u"recver", 64, true},   {u"recbankcode", 20, false}, {u"recbank", 40, true},
        {u"cur", 3, true},       {u"amt", 20, true},          {u"use", 30, true},
        {u"remittype", 4, true}, {u"remark", 20, false},
    };
    cds1.ClearFieldDefs();
    for (const Def& d : kDefs) {
        cds1.AddFieldDef(QString::fromUtf16(d.name), d.required, d.size);
    }
    cds1.CreateDataSet();
}

void SetGridTitles(DBGrid& grid) {
    const QStringList titles = QString::fromUtf16(kGridTitles).split(u',');
    for (int i = 0; i < grid.ColumnCount() && i < titles.size(); ++i) {
        grid.SetColumnTitle(i, titles[i]);
    }
}

}  // namespace instructions
