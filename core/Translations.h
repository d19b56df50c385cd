#pragma once

class QCoreApplication;

namespace Translations {
// Installs the toolkit's Portuguese (Brazil) translations and the program's own for what those leave in
// English; false when the machine has none of the toolkit's.
bool install(QCoreApplication& app);
}  // namespace Translations
