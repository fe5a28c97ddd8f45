#include "PanelTexts.h"

#include <array>

namespace zav::panel {

namespace {

struct Words {
    const char* english;
    const char* german;
    const char* italian;
};

// In the order of PanelText.
constexpr std::array<Words, 36> Table = {{
    {"Operator panel - zav-panel", "Bedienpanel - zav-panel", "Pannello operatore - zav-panel"},
    {"<b>Level \"%2\" (ID 1) has no password and may manage everything</b>, so anyone at this panel may "
     "change levels and operators while it is in force (the database is <tt>%1</tt>). Add levels and "
     "operators under <i>Manage</i>, then <i>Log out</i> to put the new lowest level in force; <i>Log in by "
     "level</i> with \"%2\" and an empty password gets back. To close this, give \"%2\" a password, or take "
     "its rights to manage levels and operators: <i>Manage</i>, then its level menu.",
     "<b>Ebene \"%2\" (ID 1) hat kein Passwort und darf alles verwalten</b>, also darf jeder an diesem Panel "
     "Ebenen und Bediener ändern, solange sie gilt (die Datenbank ist <tt>%1</tt>). Legen Sie unter "
     "<i>Verwalten</i> Ebenen und Bediener an, dann <i>Abmelden</i>, damit die neue unterste Ebene gilt; "
     "<i>Mit Ebene anmelden</i> mit \"%2\" und leerem Passwort führt zurück. Um das zu schließen, geben Sie "
     "\"%2\" ein Passwort oder nehmen ihr die Rechte, Ebenen und Bediener zu verwalten: <i>Verwalten</i>, "
     "dann ihr Ebenenmenü.",
     "<b>Il livello \"%2\" (ID 1) non ha password e può gestire tutto</b>, quindi chiunque a questo pannello "
     "può modificare livelli e operatori finché vale (il database è <tt>%1</tt>). Aggiungere livelli e "
     "operatori in <i>Gestisci</i>, poi <i>Esci</i> perché valga il nuovo livello più basso; <i>Accedi con "
     "livello</i> con \"%2\" e la password vuota riporta indietro. Per chiudere questo, dare a \"%2\" una "
     "password o togliergli i diritti di gestire livelli e operatori: <i>Gestisci</i>, poi il suo menu di "
     "livello."},
    {"Login state", "Anmeldestatus", "Stato di accesso"},
    {"Rights of this level:", "Rechte dieser Ebene:", "Diritti di questo livello:"},
    {"Language:", "Sprache:", "Lingua:"},
    {"Log in by operator", "Als Bediener anmelden", "Accedi come operatore"},
    {"Log in by level", "Mit Ebene anmelden", "Accedi con livello"},
    {"Log out", "Abmelden", "Esci"},
    {"Manage", "Verwalten", "Gestisci"},
    {"Change my password", "Mein Passwort ändern", "Cambia la mia password"},
    {"Quit", "Beenden", "Chiudi"},
    {"Operator: %1", "Bediener: %1", "Operatore: %1"},
    {"(none)", "(keiner)", "(nessuno)"},
    {"Level: %1 (ID %2)", "Ebene: %1 (ID %2)", "Livello: %1 (ID %2)"},
    {"Logout level: yes (nobody is logged in)", "Abmeldeebene: ja (niemand ist angemeldet)",
     "Livello di uscita: sì (nessuno è connesso)"},
    {"Logout level: no, nobody is logged in but the levels have changed: log out to put level %1 in force",
     "Abmeldeebene: nein, niemand ist angemeldet, aber die Ebenen haben sich geändert: abmelden, damit "
     "Ebene %1 gilt",
     "Livello di uscita: no, nessuno è connesso ma i livelli sono cambiati: uscire perché valga il livello "
     "%1"},
    {"Logout level: yes", "Abmeldeebene: ja", "Livello di uscita: sì"},
    {"Logout level: no", "Abmeldeebene: nein", "Livello di uscita: no"},
    {"Operator: -", "Bediener: -", "Operatore: -"},
    {"Level: -", "Ebene: -", "Livello: -"},
    {"Terminated: the desktop is shown again.", "Beendet: Der Desktop wird wieder angezeigt.",
     "Terminato: il desktop è di nuovo visibile."},
    {"The credential database could not be opened (see the message shown).",
     "Die Anmeldedatenbank konnte nicht geöffnet werden (siehe die angezeigte Meldung).",
     "Non è stato possibile aprire il database delle credenziali (vedere il messaggio mostrato)."},
    {"Error %1: %2", "Fehler %1: %2", "Errore %1: %2"},
    {"Error: %1", "Fehler: %1", "Errore: %1"},
    {"Logged in.", "Angemeldet.", "Accesso eseguito."},
    {"Login cancelled.", "Anmeldung abgebrochen.", "Accesso annullato."},
    {"Logged out.", "Abgemeldet.", "Uscita eseguita."},
    {"Management window closed.", "Verwaltungsfenster geschlossen.", "Finestra di gestione chiusa."},
    {"Password changed.", "Passwort geändert.", "Password cambiata."},
    {"Password not changed.", "Passwort nicht geändert.", "Password non cambiata."},
    {"Allow Manage Levels", "Ebenen verwalten erlauben", "Consenti gestione livelli"},
    {"Allow Manage Operators", "Bediener verwalten erlauben", "Consenti gestione operatori"},
    {"Automatic shut down", "Automatisch herunterfahren", "Spegnimento automatico"},
    {"Show Desktop", "Desktop anzeigen", "Mostra desktop"},
    {"Logout level: the database cannot be read now (%1); the one read last is in force",
     "Abmeldeebene: Die Datenbank ist gerade nicht lesbar (%1); es gilt die zuletzt gelesene",
     "Livello di uscita: il database ora non è leggibile (%1); vale l'ultimo letto"},
    {"Offline: the server cannot be reached. Logins are checked against this panel's copy; nothing can be "
     "changed until the server is back.",
     "Offline: Der Server ist nicht erreichbar. Anmeldungen werden mit der Kopie dieses Panels geprüft; "
     "nichts kann geändert werden, bis der Server wieder da ist.",
     "Offline: il server non è raggiungibile. Gli accessi sono verificati con la copia di questo pannello; "
     "nulla può essere modificato finché il server non torna disponibile."},
}};
static_assert(Table.size() == static_cast<std::size_t>(PanelText::Offline) + 1);

bool named(const QString& language, std::initializer_list<const char*> names) {
    for (const char* name : names) {
        if (language.compare(QLatin1String(name), Qt::CaseInsensitive) == 0) {
            return true;
        }
    }
    return false;
}

} // namespace

QString panelText(PanelText text, const QString& language) {
    const Words& words = Table.at(static_cast<std::size_t>(text));
    if (named(language, {"Deutsch", "German", "de"})) {
        return QString::fromUtf8(words.german);
    }
    if (named(language, {"Italiano", "Italian", "it"})) {
        return QString::fromUtf8(words.italian);
    }
    return QString::fromUtf8(words.english);
}

} // namespace zav::panel
