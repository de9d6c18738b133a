#include "batch/instructions.h"

#include "payments/instruction.h"
#include "platform/dataset/dataset.h"
#include "platform/dataset/dbgrid.h"

namespace instructions {

void CreateTable(Dataset& cds1) {
    cds1.ClearFieldDefs();
    for (int f = 0; f < payments::kInstructionFieldCount; ++f) {
        const payments::InstructionFieldDefinition& def = payments::InstructionFieldDef(f);
        cds1.AddFieldDef(QString::fromUtf16(def.name), def.required, def.size);
    }
    cds1.CreateDataSet();
}

void SetGridTitles(DBGrid& grid) {
    for (int i = 0; i < grid.ColumnCount() && i < payments::kInstructionFieldCount; ++i) {
        grid.SetColumnTitle(i, payments::InstructionFieldTitle(i));
    }
}

}  // namespace instructions
