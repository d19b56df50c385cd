#include "Numbering.h"

#include "DataError.h"
#include "Table.h"

int numberNewRecord(Table& view) {
    const QString codigo = QStringLiteral("Codigo");
    if (view.fieldByName(codigo).isNull()) {
        view.insert();
        view.fieldByName(codigo).setAsInteger(1);
        view.markNumbered(codigo, 1);
        return 1;
    }
    const IndexDef* index = view.definition().indexOnField(codigo);
    if (!index)
        throw DataError(QStringLiteral("A tabela %1 não tem índice por Codigo").arg(view.definition().name));
    view.setIndexName(index->name);
    view.last();
    const int number = view.fieldByName(codigo).asInteger() + 1;
    view.insert();
    view.fieldByName(codigo).setAsInteger(number);
    view.markNumbered(codigo, number);
    return number;
}
