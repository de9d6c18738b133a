// Qt's own Simplified Chinese texts, so that the standard dialogs (files, printing, page setup)
// and context menus speak the program's language.
#pragma once

class QCoreApplication;

// Installs Qt's Simplified Chinese translation from Qt's translations directory or from the
// "translations" folder beside the executable; false when neither has it.
bool LoadQtTranslations(QCoreApplication& app);
