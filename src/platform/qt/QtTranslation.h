#pragma once

class QCoreApplication;

namespace qtplatform {

// Loads Qt's own Japanese texts (file dialogs, standard buttons) into `app`, whatever the user's
// locale: the program's interface is Japanese throughout. False when Qt's translation is not
// installed; Qt's English texts stay then.
bool installJapaneseQtTexts(QCoreApplication& app);

}  // namespace qtplatform
