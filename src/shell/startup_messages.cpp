#include "shell/startup_messages.h"

namespace {

int32_t g_language_index = kLanguageEnglish;

struct LanguageName {
  std::string_view name;
  int32_t index;
};

// The order of comparison; the first match wins.
constexpr LanguageName kLanguageNames[] = {
    {"ger", kLanguageGerman},  {"f", kLanguageFrench},    {"hol", kLanguageDutch},
    {"spa", kLanguageSpanish}, {"swe", kLanguageSwedish}, {"fin", kLanguageFinnish},
    {"nor", kLanguageNorwegian}, {"dan", kLanguageDanish},
};

using MessageRow = const char* [kLanguageCount];

#define SAME9(text) {text, text, text, text, text, text, text, text, text}

// One row per id; columns English, French, German, Dutch, Spanish, Swedish,
// Norwegian, Danish, Finnish.
const MessageRow kMessages[kStartupMessageCount] = {
    /* 0 */ {"Renderer", "Moteur de rendu", "Renderer", "Renderer", "Motor de render", "Renderare",
             "Gjengiver", "Renderer", "Renderöijä"},
    /* 1 */ SAME9("Direct 3D"),
    /* 2 */ SAME9("Tarnwell Software Rasterizer"),
    /* 3 */ {"Software", "Logiciel", "Software", "Software", "Software", "Programvara", "Programvare",
             "Software", "Ohjelmisto"},
    /* 4 */ {"Device", "Périphérique", "Gerät", "Apparaat", "Dispositivo", "Enhet", "Enhet", "Enhed",
             "Laite"},
    /* 5 */ {"Screen Resolution", "Résolution d'écran", "Bildschirmauflösung", "Schermresolutie",
             "Resolución de pantalla", "Skärmupplösning", "Skjermoppløsning", "Skærmopløsning",
             "Näytön tarkkuus"},
    /* 6 */ {"Sound", "Son", "Ton", "Geluid", "Sonido", "Ljud", "Lyd", "Lyd", "Ääni"},
    /* 7 */ {"Done", "Terminé", "Fertig", "Klaar", "Hecho", "Klar", "Ferdig", "Færdig", "Valmis"},
    /* 8 */ {"No Sound", "Pas de son", "Kein Ton", "Geen geluid", "Sin sonido", "Inget ljud",
             "Ingen lyd", "Ingen lyd", "Ei ääntä"},
    /* 9 */ {"No Music", "Pas de musique", "Keine Musik", "Geen muziek", "Sin música", "Ingen musik",
             "Ingen musikk", "Ingen musik", "Ei musiikkia"},
    /* 10 */ {"Texture Bit Depth", "Profondeur des textures", "Textur-Farbtiefe", "Textuurkleurdiepte",
              "Profundidad de color de texturas", "Texturfärgdjup", "Teksturfargedybde",
              "Teksturfarvedybde", "Tekstuurien värisyvyys"},
    /* 11 */ {"16 Bit", "16 bits", "16 Bit", "16 bits", "16 bits", "16 bitar", "16 biter", "16 bit",
              "16 bittiä"},
    /* 12 */ {"32 Bit", "32 bits", "32 Bit", "32 bits", "32 bits", "32 bitar", "32 biter", "32 bit",
              "32 bittiä"},
    /* 13 */ {"Texture Detail", "Détail des textures", "Texturdetails", "Textuurdetail",
              "Detalle de texturas", "Texturdetaljer", "Teksturdetaljer", "Teksturdetaljer",
              "Tekstuurien tarkkuus"},
    /* 14 */ {"Low", "Faible", "Niedrig", "Laag", "Bajo", "Låg", "Lav", "Lav", "Matala"},
    /* 15 */ {"Medium", "Moyen", "Mittel", "Gemiddeld", "Medio", "Medel", "Middels", "Middel",
              "Keskitaso"},
    /* 16 */ {"High", "Élevé", "Hoch", "Hoog", "Alto", "Hög", "Høy", "Høj", "Korkea"},
    /* 17 */ {"You need Direct X 8 or higher to run Rentopia Civano.",
              "Rentopia Civano nécessite Direct X 8 ou une version ultérieure.",
              "Rentopia Civano benötigt Direct X 8 oder höher.",
              "Voor Rentopia Civano is Direct X 8 of hoger nodig.",
              "Necesita Direct X 8 o superior para ejecutar Rentopia Civano.",
              "Du behöver Direct X 8 eller senare för att köra Rentopia Civano.",
              "Du trenger Direct X 8 eller nyere for å kjøre Rentopia Civano.",
              "Du skal bruge Direct X 8 eller nyere for at køre Rentopia Civano.",
              "Rentopia Civano -peli vaatii Direct X 8:n tai uudemman."},
    /* 18 */ {"Play", "Jouer", "Spielen", "Spelen", "Jugar", "Spela", "Spill", "Spil", "Pelaa"},
    /* 19 */ {"Configuration", "Configuration", "Konfiguration", "Configuratie", "Configuración",
              "Konfiguration", "Konfigurasjon", "Konfiguration", "Asetukset"},
    /* 20 */ {"Exit", "Quitter", "Beenden", "Afsluiten", "Salir", "Avsluta", "Avslutt", "Afslut",
              "Lopeta"},
    /* 21 */ SAME9(""),
    /* 22 */ {"There is already an instance of Rentopia Civano running.",
              "Rentopia Civano est déjà en cours d'exécution.",
              "Rentopia Civano wird bereits ausgeführt.",
              "Rentopia Civano is al gestart.",
              "Ya hay una instancia de Rentopia Civano en ejecución.",
              "Rentopia Civano körs redan.",
              "Rentopia Civano kjører allerede.",
              "Rentopia Civano kører allerede.",
              "Rentopia Civano -peli on jo käynnissä."},
    /* 23 */ {"Advanced Options", "Options avancées", "Erweiterte Optionen", "Geavanceerde opties",
              "Opciones avanzadas", "Avancerade alternativ", "Avanserte alternativer",
              "Avancerede indstillinger", "Lisäasetukset"},
    /* 24 */ {"These options are provided in case you are experiencing difficulties in launching or "
              "running Rentopia Civano.",
              "Ces options sont proposées au cas où vous rencontreriez des difficultés pour lancer ou "
              "utiliser Rentopia Civano.",
              "Diese Optionen helfen, falls beim Starten oder Ausführen von Rentopia Civano Probleme "
              "auftreten.",
              "Deze opties zijn bedoeld voor het geval u problemen ondervindt bij het starten of spelen "
              "van Rentopia Civano.",
              "Estas opciones se ofrecen por si tiene dificultades para iniciar o ejecutar Rentopia "
              "Civano.",
              "Dessa alternativ finns ifall du har problem med att starta eller köra Rentopia Civano.",
              "Disse alternativene er til hjelp hvis du har problemer med å starte eller kjøre Rentopia "
              "Civano.",
              "Disse indstillinger er til hjælp, hvis du har problemer med at starte eller køre Rentopia "
              "Civano.",
              "Näistä asetuksista on apua, jos Rentopia Civano -pelin käynnistämisessä tai pelaamisessa "
              "on ongelmia."},
    /* 25 */ {"Miscellaneous", "Divers", "Verschiedenes", "Diversen", "Varios", "Övrigt", "Diverse",
              "Diverse", "Muut"},
    /* 26 */ {"Sound", "Son", "Ton", "Geluid", "Sonido", "Ljud", "Lyd", "Lyd", "Ääni"},
    /* 27 */ {"Video", "Vidéo", "Grafik", "Beeld", "Vídeo", "Grafik", "Grafikk", "Grafik", "Grafiikka"},
    /* 28 */ {"Disable intro movie", "Désactiver la vidéo d'introduction", "Introfilm abschalten",
              "Introfilm uitschakelen", "Desactivar vídeo de introducción", "Stäng av introfilmen",
              "Slå av introfilmen", "Slå introfilmen fra", "Poista alkuvideo käytöstä"},
    /* 29 */ {"Windowed mode", "Mode fenêtré", "Fenstermodus", "Venstermodus", "Modo ventana",
              "Fönsterläge", "Vindusmodus", "Vinduestilstand", "Ikkunatila"},
    /* 30 */ {"Disable hardware mixing", "Désactiver le mixage matériel", "Hardware-Mischung abschalten",
              "Hardwaremixing uitschakelen", "Desactivar mezcla por hardware", "Stäng av hårdvarumixning",
              "Slå av maskinvaremiksing", "Slå hardwaremiksning fra", "Poista laitteistomiksaus käytöstä"},
    /* 31 */ {"Disable 3d sound", "Désactiver le son 3D", "3D-Sound abschalten", "3D-geluid uitschakelen",
              "Desactivar sonido 3D", "Stäng av 3D-ljud", "Slå av 3D-lyd", "Slå 3D-lyd fra",
              "Poista 3D-ääni käytöstä"},
    /* 32 */ {"Disable fog", "Désactiver le brouillard", "Nebel abschalten", "Mist uitschakelen",
              "Desactivar niebla", "Stäng av dimma", "Slå av tåke", "Slå tåge fra",
              "Poista sumu käytöstä"},
    /* 33 */ {"Disable multi-texturing", "Désactiver le multitexturage", "Multitexturing abschalten",
              "Multitexturing uitschakelen", "Desactivar multitextura", "Stäng av multitexturering",
              "Slå av multiteksturering", "Slå multiteksturering fra",
              "Poista monitekstuurointi käytöstä"},
    /* 34 */ {"Disable 2D billboards", "Désactiver les panneaux 2D", "2D-Billboards abschalten",
              "2D-billboards uitschakelen", "Desactivar carteles 2D", "Stäng av 2D-skyltar",
              "Slå av 2D-skilt", "Slå 2D-skilte fra", "Poista 2D-tasokuvat käytöstä"},
    /* 35 */ {"Safe Mode", "Mode sans échec", "Abgesicherter Modus", "Veilige modus", "Modo seguro",
              "Felsäkert läge", "Sikker modus", "Fejlsikret tilstand", "Vikasietotila"},
    /* 36 */ {"Rentopia Civano did not start or shutdown properly.\n\nIf you are experiencing "
              "consistent technical difficulties in running Rentopia Civano, it is advisable to set the "
              "configuration for the game into Safe Mode.",
              "Rentopia Civano ne s'est pas lancé ou ne s'est pas fermé correctement.\n\nSi vous "
              "rencontrez régulièrement des problèmes techniques avec Rentopia Civano, il est conseillé "
              "de passer la configuration du jeu en mode sans échec.",
              "Rentopia Civano wurde nicht ordnungsgemäß gestartet oder beendet.\n\nWenn bei Rentopia "
              "Civano wiederholt technische Probleme auftreten, empfiehlt es sich, das Spiel im "
              "abgesicherten Modus zu konfigurieren.",
              "Rentopia Civano is niet goed gestart of afgesloten.\n\nAls u steeds technische problemen "
              "hebt met Rentopia Civano, is het raadzaam het spel in de veilige modus in te stellen.",
              "Rentopia Civano no se inició o no se cerró correctamente.\n\nSi tiene problemas técnicos "
              "constantes al ejecutar Rentopia Civano, se recomienda configurar el juego en modo seguro.",
              "Rentopia Civano startade eller avslutades inte korrekt.\n\nOm du ofta har tekniska problem "
              "med Rentopia Civano rekommenderas att du ställer in spelet i felsäkert läge.",
              "Rentopia Civano ble ikke startet eller avsluttet riktig.\n\nHvis du stadig har tekniske "
              "problemer med Rentopia Civano, anbefales det å sette spillet i sikker modus.",
              "Rentopia Civano blev ikke startet eller lukket korrekt.\n\nHvis du gentagne gange har "
              "tekniske problemer med Rentopia Civano, anbefales det at sætte spillet i fejlsikret "
              "tilstand.",
              "Rentopia Civano ei käynnistynyt tai sulkeutunut oikein.\n\nJos Rentopia Civano -pelin "
              "kanssa on jatkuvasti teknisiä ongelmia, pelin asetukset kannattaa vaihtaa "
              "vikasietotilaan."},
    /* 37 */ {"Safe Mode allows the Rentopia Civano to run in the lowest settings for video and "
              "audio.\n\n If the game runs in safe mode then you should change the 'Configuration' and "
              "'Advance Options' to suit your needs.\n\n Do you wish to run Rentopia Civano in Safe Mode?",
              "Le mode sans échec lance Rentopia Civano avec les réglages vidéo et audio les plus "
              "bas.\n\n Si le jeu fonctionne en mode sans échec, modifiez ensuite la 'Configuration' et "
              "les 'Options avancées' selon vos besoins.\n\n Voulez-vous lancer Rentopia Civano en mode "
              "sans échec ?",
              "Im abgesicherten Modus läuft Rentopia Civano mit den niedrigsten Grafik- und "
              "Toneinstellungen.\n\n Wenn das Spiel im abgesicherten Modus läuft, passen Sie "
              "anschließend 'Konfiguration' und 'Erweiterte Optionen' Ihren Wünschen an.\n\n Möchten Sie "
              "Rentopia Civano im abgesicherten Modus starten?",
              "In de veilige modus draait Rentopia Civano met de laagste beeld- en "
              "geluidsinstellingen.\n\n Als het spel in de veilige modus werkt, kunt u daarna de "
              "'Configuratie' en de 'Geavanceerde opties' naar wens aanpassen.\n\n Wilt u Rentopia "
              "Civano in de veilige modus starten?",
              "El modo seguro ejecuta Rentopia Civano con los ajustes de vídeo y sonido más bajos.\n\n "
              "Si el juego funciona en modo seguro, cambie después la 'Configuración' y las 'Opciones "
              "avanzadas' según sus necesidades.\n\n ¿Desea ejecutar Rentopia Civano en modo seguro?",
              "I felsäkert läge körs Rentopia Civano med de lägsta inställningarna för grafik och "
              "ljud.\n\n Om spelet fungerar i felsäkert läge kan du sedan ändra 'Konfiguration' och "
              "'Avancerade alternativ' efter behov.\n\n Vill du köra Rentopia Civano i felsäkert läge?",
              "I sikker modus kjører Rentopia Civano med de laveste innstillingene for grafikk og "
              "lyd.\n\n Hvis spillet fungerer i sikker modus, kan du deretter endre 'Konfigurasjon' og "
              "'Avanserte alternativer' etter behov.\n\n Vil du kjøre Rentopia Civano i sikker modus?",
              "I fejlsikret tilstand kører Rentopia Civano med de laveste indstillinger for grafik og "
              "lyd.\n\n Hvis spillet kører i fejlsikret tilstand, kan du derefter ændre 'Konfiguration' "
              "og 'Avancerede indstillinger' efter behov.\n\n Vil du køre Rentopia Civano i fejlsikret "
              "tilstand?",
              "Vikasietotilassa Rentopia Civano toimii pienimmillä grafiikka- ja ääniasetuksilla.\n\n "
              "Jos peli toimii vikasietotilassa, voit sen jälkeen muuttaa 'Asetukset' ja "
              "'Lisäasetukset' tarpeidesi mukaan.\n\n Haluatko käynnistää Rentopia Civano -pelin "
              "vikasietotilassa?"},
    /* 38 */ {"Yes, run in Software Safe Mode", "Oui, lancer en mode sans échec logiciel",
              "Ja, im abgesicherten Software-Modus starten", "Ja, starten in veilige softwaremodus",
              "Sí, ejecutar en modo seguro por software", "Ja, kör i felsäkert programvaruläge",
              "Ja, kjør i sikker programvaremodus", "Ja, kør i fejlsikret softwaretilstand",
              "Kyllä, käynnistä ohjelmistovikasietotilassa"},
    /* 39 */ {"Yes, run in D3D Safe Mode", "Oui, lancer en mode sans échec D3D",
              "Ja, im abgesicherten D3D-Modus starten", "Ja, starten in veilige D3D-modus",
              "Sí, ejecutar en modo seguro D3D", "Ja, kör i felsäkert D3D-läge",
              "Ja, kjør i sikker D3D-modus", "Ja, kør i fejlsikret D3D-tilstand",
              "Kyllä, käynnistä D3D-vikasietotilassa"},
    /* 40 */ {"No, do not run in Safe Mode", "Non, ne pas lancer en mode sans échec",
              "Nein, nicht im abgesicherten Modus starten", "Nee, niet in veilige modus starten",
              "No, no ejecutar en modo seguro", "Nej, kör inte i felsäkert läge",
              "Nei, ikke kjør i sikker modus", "Nej, kør ikke i fejlsikret tilstand",
              "Ei, älä käynnistä vikasietotilassa"},
    /* 41 */ {"Rentopia Civano has encountered an unknown error. Attempting to shutdown gracefully. A "
              "file called __crash.sav will have been saved. When you run Rentopia Civano again you will "
              "be asked if you wish to run in safe mode or not. Please see the readme file for more "
              "details.",
              "Rentopia Civano a rencontré une erreur inconnue. Tentative de fermeture propre. Un "
              "fichier nommé __crash.sav a été enregistré. Au prochain lancement de Rentopia Civano, il "
              "vous sera demandé si vous souhaitez utiliser le mode sans échec. Consultez le fichier "
              "Lisez-moi pour plus de détails.",
              "In Rentopia Civano ist ein unbekannter Fehler aufgetreten. Das Spiel wird ordnungsgemäß "
              "beendet. Eine Datei namens __crash.sav wurde gespeichert. Beim nächsten Start von "
              "Rentopia Civano werden Sie gefragt, ob Sie den abgesicherten Modus verwenden möchten. "
              "Weitere Einzelheiten finden Sie in der Liesmich-Datei.",
              "Rentopia Civano heeft een onbekende fout aangetroffen. Het spel probeert netjes af te "
              "sluiten. Er is een bestand met de naam __crash.sav opgeslagen. Wanneer u Rentopia Civano "
              "opnieuw start, wordt gevraagd of u de veilige modus wilt gebruiken. Zie het "
              "leesmij-bestand voor meer informatie.",
              "Rentopia Civano ha encontrado un error desconocido. Intentando cerrar de forma ordenada. "
              "Se habrá guardado un archivo llamado __crash.sav. La próxima vez que ejecute Rentopia "
              "Civano se le preguntará si desea usar el modo seguro. Consulte el archivo Léame para más "
              "detalles.",
              "Rentopia Civano har stött på ett okänt fel. Försöker avsluta på ett kontrollerat sätt. "
              "En fil med namnet __crash.sav har sparats. När du startar Rentopia Civano nästa gång får "
              "du frågan om du vill köra i felsäkert läge. Mer information finns i Läs mig-filen.",
              "Rentopia Civano har støtt på en ukjent feil. Prøver å avslutte på en ryddig måte. En fil "
              "med navnet __crash.sav er lagret. Neste gang du starter Rentopia Civano, blir du spurt om "
              "du vil kjøre i sikker modus. Se Viktig-filen for flere detaljer.",
              "Rentopia Civano er stødt på en ukendt fejl. Forsøger at lukke korrekt. En fil med navnet "
              "__crash.sav er blevet gemt. Næste gang du starter Rentopia Civano, bliver du spurgt, om "
              "du vil køre i fejlsikret tilstand. Se Vigtigt-filen for flere oplysninger.",
              "Rentopia Civano -pelissä tapahtui tuntematon virhe. Peli yritetään sulkea hallitusti. "
              "Tiedosto nimeltä __crash.sav on tallennettu. Kun käynnistät Rentopia Civano -pelin "
              "seuraavan kerran, sinulta kysytään, haluatko käyttää vikasietotilaa. Lisätietoja on "
              "Lueminut-tiedostossa."},
    /* 42 */ {"Building Editor", "Éditeur de bâtiments", "Gebäude-Editor", "Gebouweneditor",
              "Editor de edificios", "Byggnadsredigerare", "Bygningsredigerer", "Bygningseditor",
              "Rakennuseditori"},
    /* 43 */ {"Own the city. Build it. Run it.", "Possédez la ville. Bâtissez-la. Dirigez-la.",
              "Besitze die Stadt. Bau sie. Führe sie.", "Bezit de stad. Bouw haar. Bestuur haar.",
              "Sé dueño de la ciudad. Constrúyela. Dirígela.", "Äg staden. Bygg den. Styr den.",
              "Eie byen. Bygg den. Styr den.", "Ej byen. Byg den. Styr den.",
              "Omista kaupunki. Rakenna se. Johda sitä."},
};

#undef SAME9

}  // namespace

void SetLanguageIndex(std::string_view language_name) {
  for (const LanguageName& l : kLanguageNames) {
    if (l.name == language_name) {
      g_language_index = l.index;
      return;
    }
  }
}

int32_t GetLanguageIndex() { return g_language_index; }

void ResetLanguageIndex() { g_language_index = kLanguageEnglish; }

const char* GetStartupMessage(int32_t id) {
  if (id < 0 || id >= kStartupMessageCount) return "";
  return kMessages[id][g_language_index];
}
