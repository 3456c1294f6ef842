#include "report/catalogue.h"

#include "util/cp1250.h"

#include <cstdint>

namespace report {

// Rows in catalogue order. The order matters: a code is looked up from the first row on and the first
// equal row wins, so the later of two rows with one code (EL005, EL030, EL032, EL044, ER209, WSTEL) is
// never used. The end row closes the table and is never found by a lookup.
const CatalogueRow kCatalogue[kEndRow + 1] = {
    {"ER209", "Povoleno 2009, délka  4", "2009"},
    {"EL030", "Sledované období není  1-6", "1-6"},
    {"ESICO", "Chybná hodnota nebo délka", ""},
    {"ESPRE", "Chybná hodnota nebo délka", ""},
    {"ESAUT", "Chybná hodnota nebo délka", ""},
    {"ESEMA", "Chybná hodnota,  délka, chybí @ nebo tecka, mezera v adrese", "jmeno@firma.cz"},
    {"WSTEL", "Chybná hodnota nebo délka, minimální délka by měla být 9 znaků.", "nnnnnnnn"},
    {"ESVYT", "Chybná hodnota nebo délka", "2009-06-01T00:00:00 až 2009-09-30T23:59"},
    {"ES017", "Chybná hodnota nebo délka", ""},
    {"ES113", "Chybná hodnota nebo délka", ""},
    {"ES019", "Chybná hodnota nebo délka", ""},
    {"ES179", "Chybná hodnota nebo délka", "CZ0nnn"},
    {"ES110", "Chybná hodnota nebo délka", "20090601-20090930"},
    {"ES116", "Chybná hodnota nebo délka", ""},
    {"ES123", "Chybná hodnota nebo délka", ""},
    {"EL057", "Chybná hodnota nebo délka", ""},
    {"ES115", "Chybná hodnota nebo délka", ""},
    {"ES118", "Chybná hodnota nebo délka", ""},
    {"ES119", "Chybná hodnota nebo délka", ""},
    {"ES126", "Chybná hodnota nebo délka", ""},
    {"EL002", "Věk zaměstnance není v intervalu 14 až 100 let", "1909-1995"},
    {"EL032", "Chybný kód pohlaví", "1,2"},
    {"ES223", "Chybná hodnota nebo délka", "A - V"},
    {"ES033", "Chybná hodnota nebo délka", ""},
    {"ES013", "Chybná hodnota nebo délka", ""},
    {"ES125", "U zaměstnance ve státní sféře jsou povoleny pouze hodnoty  0,1 a 2.", "0,1,2"},
    {"ES130", "Chybná hodnota nebo délka", "10, (1)"},
    {"EL005", "Překročena maximální hodnota týdenní pracovní doby", "0 - 40"},
    {"ES225", "Chybná hodnota nebo délka", ""},
    {"ES216", "Chybná hodnota nebo délka", ""},
    {"ES132", "Chybná hodnota nebo délka", "0 - 9999,99"},
    {"ES133", "Chybná hodnota nebo délka", ""},
    {"ES134", "Chybná hodnota nebo délka", ""},
    {"ES135", "Chybná hodnota nebo délka", ""},
    {"ES136", "Chybná hodnota nebo délka", ""},
    {"ES137", "Chybná hodnota nebo délka", "1,2"},
    {"EL044", "Platová třída zaměstnance musí být 1 - 16", "1 - 16"},
    {"EL079", "Nepřípustný platový stupeň", "0 - 12"},
    {"EL001", "Nepřípustný kód zvýšení platového tarifu", "1,2,3"},
    {"ES138", "Chybná hodnota nebo délka", ""},
    {"ES139", "Chybná hodnota nebo délka", ""},
    {"ES140", "Chybná hodnota nebo délka", ""},
    {"ES141", "Chybná hodnota nebo délka", ""},
    {"ES142", "Chybná hodnota nebo délka", ""},
    {"ES143", "Chybná hodnota nebo délka", ""},
    {"ES144", "Chybná hodnota nebo délka", ""},
    {"ES145", "Chybná hodnota nebo délka", ""},
    {"ES146", "Chybná hodnota nebo délka", ""},
    {"ES147", "Chybná hodnota nebo délka", ""},
    {"ES148", "Chybná hodnota nebo délka", ""},
    {"ES160", "Chybná hodnota nebo délka", ""},
    {"ES162", "Chybná hodnota nebo délka", ""},
    {"ES150", "Chybná hodnota nebo délka", ""},
    {"ES239", "Chybná hodnota nebo délka", ""},
    {"ES240", "Chybná hodnota nebo délka", ""},
    {"ES151", "Chybná hodnota nebo délka", ""},
    {"ES152", "Chybná hodnota nebo délka", ""},
    {"ES153", "Chybná hodnota nebo délka", ""},
    {"ES154", "Chybná hodnota nebo délka", ""},
    {"ES155", "Chybná hodnota nebo délka", ""},
    {"ES156", "Chybná hodnota nebo délka", ""},
    {"ES157", "Chybná hodnota nebo délka", ""},
    {"ES163", "Chybná hodnota nebo délka", ""},
    {"ES161", "Chybná hodnota nebo délka", ""},
    {"ES237", "Chybná hodnota nebo délka", ""},
    {"ES238", "Chybná hodnota nebo délka", ""},
    {"ES158", "Chybná hodnota nebo délka", ""},
    {"ES159", "Chybná hodnota nebo délka", ""},
    {"ES165", "Chybná hodnota nebo délka", ""},
    {"ES166", "Chybná hodnota nebo délka", ""},
    {"ES167", "Chybná hodnota nebo délka", ""},
    {"ES168", "Chybná hodnota nebo délka", ""},
    {"ES091", "Chybná hodnota nebo délka", ""},
    {"ES210", "Chybná hodnota nebo délka", ""},
    {"ES218", "Chybná hodnota nebo délka", ""},
    {"ES219", "Chybná hodnota nebo délka", ""},
    {"ES690", "Chybná hodnota nebo délka", ""},
    {"EL003", "Hodnota není shodná u záznamů stejného zaměstnance", ""},
    {"EL004", "Je povolena hodnota 10, tolerována 1.", ""},
    {"EL005", "Překročena maximální hodnota pracovního fondu v jednom pracovním poměru", ""},
    {"EL006",
     "Zaměstnanec byl ve sledovaném období v evidenčním stavu (AA0218) více dní než je uvedeno  v letech u "
     "doby zaměstnání celkem..",
     ""},
    {"EL010", "Doba čerpání dovolené je větší než neodpracovaná doba s náhradou platu", ""},
    {"EL012", "Překročena maximální výše osobního příplatku.", ""},
    {"EL013", "Překročena max. možná hodnota příplatku za vedení a zastupování.", ""},
    {"EL015",
     "AA0144 se nerovná součtu AA0145, AA0146, AA0147, AA0148, AA0160, AA0162, AA0150, AA0157, AA0163, "
     "AA0161 a AA0158.",
     ""},
    {"EL020", "Hodnota neodpovídá součtu přepočtených stavů za všechny zaměstnance.", ""},
    {"EL021", "Evidenční stav zaměstnanců neodpovídá počtu zaměstnanců v evidenčním stavu.", ""},
    {"EL022", "Vyplacené platy neodpovídají sumě platů zaměstnanců", ""},
    {"EL027",
     "Celková suma příplatků zúčtovaných k výplatě AA0150 musí být rovna AA0239 + AA0151 + AA0152 + AA0153 + "
     "AA0154 + AA0155 + AA0156 + AA0240.",
     ""},
    {"EL028",
     "Celkové odměny za pohotovost (AA0161) neodpovídají součtu jednotlivých odměn za pohotovost (AA0237, "
     "AA0238).",
     ""},
    {"EL030", "Sledované období není 1-6", ""},
    {"EL031", "Neplatné IČO.", ""},
    {"EL032", "U pohlaví jsou povoleny pouze hodnoty 1 a 2", ""},
    {"EL037", "Pokud AA0136 (kód evidenčního stavu přepočtený)=0 pak musí být hodnota nulová", ""},
    {"EL038",
     "Pokud AA0136 (kód evidenčního stavu přepočtený)=0 pak musí být hodnota pro evidenční stav zaměstnance "
     "k poslednímu dni = 2",
     ""},
    {"EL044", "Platová třída zaměstnance musí být v rozmezí 1-12", ""},
    {"EL046", "Neznámý kód zaměstnání", ""},
    {"EL047", "Neznámý kód státu", ""},
    {"EL048", "Neznámý kód nejvyššího dosaženého vzdělání", ""},
    {"EL050", "Neplatné datum - den neodpovídá měsíci", ""},
    {"EL051", "Nesouhlasí výše platového tarifu - pro tabulku platových tarifů.", ""},
    {"EL052",
     "Součet všech průměrných evidenčních stavů přepočtených v hlavním a služebním pracovním poměru nesmí "
     "být větší než 1",
     ""},
    {"EL055", "Neznámý kód právní formy", ""},
    {"EL056", "Neznámý kód NUTS", ""},
    {"EL058", "Vyplacené platy musí odpovídat počtu zaměstnanců", ""},
    {"EL059",
     "Zaměstnanec, který je celé sledované období v evid. stavu, musí být v evid. stavu i poslední den.", ""},
    {"EL062",
     "Rozpočet plus mimorozpočtové zdroje neodpovídají proplacené částce. I v pololetí se vykazuje rozpočet "
     "za celý rok.",
     ""},
    {"EL064", "Počet zaměstnanců rozpočtovaný neodpovídá vykázanému průměrnému stavu přepočtenému.", ""},
    {"EL065", "Nepřípustná kombinace pracovně právních vztahů.", ""},
    {"EL068", "Neznámý kód postavení v zaměstnání.", ""},
    {"EL069", "Celková doba absence (AA0219) je menší než doba nemoci (AA0210) a dovolené (AA0135).", ""},
    {"EL070", "Zaměstnanec s AA0136=1 nemůže mít zkrácenou pracovní dobu", ""},
    {"EL071", "Zaměstnanec s AA0136=1 musel být v evidenčním stavu celé sledované období", ""},
    {"EL073",
     "Zaměstnanec u něhož je počet evidenčních dnů nula musí mít průměrný evid. stav přepočtený také nulový.",
     ""},
    {"EL074", "V jednom souboru lze předat data za jednoho zaměstnavatele pouze jednou.", ""},
    {"EL075", "Příplatky a další platy byly zrušeny.", ""},
    {"EL076", "Zaměstnanec nemohl nastoupit před 14. rokem věku. (AA0225+AA0216 > rok-AA0231-13)", ""},
    {"EL077", "AA0218 nemůže být vyšší než je počet kalendářních dní ve sledovaném období.", ""},
    {"EL078", "AA0219 nemůže být vyšší než je počet pracovních dní (včetně svátků) ve sledovaném období.",
     ""},
    {"EL080",
     "Počet odpracovaných dní a dní absence je větší než počet kalendářních dní, kdy byl zaměstnance v "
     "evidenčním stavu (AA0218)",
     ""},
    {"EL081", "Všichni zaměstnanci mají stejný kód vzdělání", ""},
    {"EL082", "Většina zaměstnanců má nedokončené základní vzdělání", ""},
    {"ER206", "Zkontrolujte seznam poskytovatelů. IČO neodpovídá deklarovanému seznamu poskytovatelů", ""},
    {"ER207",
     "Zkontrolujte seznam poskytovatelů. IČO/Kód zařízení neodpovídá deklarovanému seznamu poskytovatelů.",
     ""},
    {"ER208",
     "V databázi je již zaměstnavatel naimportován ze souboru vytvořeného později nebo ve stejnou dobu", ""},
    {"ER209", "Období uvedené v dokumentu neodpovídá období vyhlášené kampaně.", ""},
    {"ER210", "IČO předkladatele v dokumentu neodpovídá IČO předkladatele v ZPV", ""},
    {"ER212", "IČO předkladatele nebylo nalezeno v seznamu předkladatelů pro vyhlášenou kampaň.", ""},
    {"ES100", "Byla nalezena syntaktická chyba", ""},
    {"ES101", "Vice nez 100 chyb. Syntakticke kontroly ukonceny", ""},
    {"ES300", "Chyba syntaxe XML", ""},
    {"ES301", "Neznamý prvek", ""},
    {"ES302", "Nesouhlasi zacatek a konec prvku", ""},
    {"ES303", "Prvkek nebyl uveden", ""},
    {"ES304", "Vícenásobný výskyt prvku      .", ""},
    {"ES305", "Chybne poradi prvku", ""},
    {"ES306", "Kontrolovaný soubor není ZPV", ""},
    {"ES308", "V souboru nebyl ani jeden zamestnavatel", ""},
    {"ES309", "Zamestnavatel nemá ani jednoho zamestnance", ""},
    {"WSTEL", "Chybné tel.číslo, minimální délka 9 znaků", ""},
    {"WS102",
     "Element <ZPV> by měl obsahovat atributy verze=\"1.6\" a "
     "xmlns=\"http://www.example.cz/schemas/2004/ZPV/1.6/\"",
     ""},
    {"WL007", "Překročena maximální odpracovaná doba", ""},
    {"WL008", "Maximální počet odpracovaných hodin přesčas je hodnota položky AA0132/6", ""},
    {"WL009",
     "Průměrný evid. stav přep. krát počet proplacených hodin bez přesčasů neodpovídá celkovému počtu hodin "
     "v daném období",
     ""},
    {"WL011",
     "Rozpor s 330/2003 Sb.! Nesouhlasí výše platového tarifu - pro tabulku platových tarifů. Zaměstnanec "
     "není v evidenčním stavu k poslednímu dni sledovaného období",
     ""},
    {"WL014", "Překročena max. možná hodnota zvláštního příplatku (10000,- Kč).", ""},
    {"WL016",
     "Náhrada za dovolenou překročila celkové náhrady zúčtované k platu. To je v pořádku byly-li nějaké "
     "náhrady záporné",
     ""},
    {"WL017", "Průměrný hodinový plat krát počet proplacených hodin neodpovídá celkovému platu.", ""},
    {"WL018",
     "Rozpor se zákonem o daních z příjmu! Pro jednoho zaměstnance lze nezdanitelnou částku základu daně "
     "uvést pouze jednou",
     ""},
    {"WL019", "Vicenásobný odvod zdravotního pojištění", ""},
    {"WL023", "Vyplacené mimorozpočtové zdroje jsou vyšší než platy zaměstnanců", ""},
    {"WL024", "Hodnostní příplatek překročil max. hodnotu 4600,- Kč.", ""},
    {"WL025", "Odvod na veřejné zdravotní pojištění neodpovídá vyplaceným platům", ""},
    {"WL026", "Odvod na sociální pojištění neodpovídá platu", ""},
    {"WL029", "Za čerpanou dovolenou nebyla vyplacena náhrada platu", ""},
    {"WL033", "Jiný stát než Česká, nebo Slovenská republika", "CZ, SK"},
    {"WL034", "U zaměstnance ve státní sféře jsou povoleny pouze hodnoty 1 a 2.", ""},
    {"WL039", "Používejte pětimístný kód zaměstnání, nekončící 0.", ""},
    {"WL040", "Zaměstnanec ve státní správě nemá zvýšený platový tarif aspoň o 25%.", ""},
    {"WL042", "Je nepravděpodobné, aby byli všichni pracovníci v evidenčním stavu.", ""},
    {"WL043", "Je nepravděpodobné, aby byli všichni pracovníci v hlavním pracovním poměru.", ""},
    {"WL049",
     "Maximální hodnota součtu pracovních fondů ve všech pracovních poměrech by měla být menší než 80 hodin.",
     ""},
    {"WL053", "Používejte přednostně dvoupísmenný kód státu.", ""},
    {"WL054", "Kód zařízení se používá jen u organizací nemající vlastní IČO, jinak se nechává prázdné.", ""},
    {"WL060", "Týdenní fond pracovní doby by měl odpovídat průměrnému týdennímu fondu za celé období.", ""},
    {"WL061",
     "Rozpočet plus mimorozpočtové zdroje neodpovídají proplacené částce. I v pololetí se vykazuje rozpočet "
     "za celý rok.",
     ""},
    {"WL063", "Počet zaměstnanců rozpočtovaný neodpovídá vykázanému průměrnému stavu přepočtenému.", ""},
    {"EL066",
     "Průměrný evidenční stav přepočtený (AA0136) nemůže být větší než nepřepočtený (AA0218/ kal_dní).", ""},
    {"WL067", "Neuvedený průměrný hodinový plat.", ""},
    {"WL072",
     "Zaměstnanec u něhož se průměrný evidenční stav přepočtený (AA0136) rovná nepřepočtenému "
     "(AA0218/kaldní) nemůže mít zkrácenou pracovní dobu",
     ""},
    {"WL901", "Plna tabulka zamestnavatelu, další nebudou kontrolovani na duplicitni vyskyt", ""},
    {"WR201", "Identifikační číslo předkladatele musí být vedeno v Registru organizací", ""},
    {"ER202",
     "Identifikační číslo předkladatele by se mělo shodovat s identifikačním číslem liniově nadřízené "
     "organizace v  Registru organizací.",
     ""},
    {"WR203",
     "Název organizace předkladatele musí odpovídat názvu organizace se stejným IČO v Registru organizací.",
     ""},
    {"WR204", "Identifikační číslo zaměstnavatele by mělo být vedeno v Registru organizací.", ""},
    {"WR205",
     "Kód okresu odpovídající identifikačnímu číslu zaměstnavatele musí být shodný s číslem územní "
     "statistické jednotky NUTS se stejným IČO v Registru organizací",
     ""},
    {"WR211", "Kód AA0125 by měl odpovídat kódu pro státní správu z registru organizací.", ""},
    {"WR213", "Poskytovatel není v Registru organizací veden jako podřízená organizace předkladatele.", ""},
    {"KONEC", "KoNeC", "KoNeC"},
};

static_assert(sizeof kCatalogue / sizeof kCatalogue[0] == kEndRow + 1, "kEndRow counts the code rows");

std::int32_t EtabNum[kEndRow + 1];

namespace {

constexpr int kRowCount = sizeof kCatalogue / sizeof kCatalogue[0];

// The Windows-1250 bytes of the messages and expected texts, converted once.
struct Converted {
    char txt[kRowCount][161];
    unsigned short txt_len[kRowCount];
    char cek[kRowCount][41];
    unsigned short cek_len[kRowCount];
};
Converted converted;
bool converted_ready = false;

void convert_once() {
    if (converted_ready)
        return;
    for (int i = 0; i < kRowCount; ++i) {
        converted.txt_len[i] = static_cast<unsigned short>(
            util::utf8_to_cp1250(kCatalogue[i].message, converted.txt[i], sizeof converted.txt[i]));
        converted.cek_len[i] = static_cast<unsigned short>(
            util::utf8_to_cp1250(kCatalogue[i].expected, converted.cek[i], sizeof converted.cek[i]));
    }
    converted_ready = true;
}

// Every written finding looks its code up, and a report of a faulty file has millions of them: the codes
// are packed into integers and kept sorted, with the first row of each code, for a binary search.
std::uint64_t pack(std::string_view code) {
    std::uint64_t key = code.size();
    for (const char c : code.substr(0, 7))
        key = key << 8 | static_cast<unsigned char>(c);
    return key;
}

struct Index {
    std::uint64_t key[kRowCount];
    int row[kRowCount];
    int size = 0;
};

const Index& code_index() {
    static const Index index = [] {
        Index ix;
        for (int i = 0; i < kEndRow; ++i) {
            const std::uint64_t k = pack(kCatalogue[i].code);
            int at = 0;
            while (at < ix.size && ix.key[at] < k)
                ++at;
            if (at < ix.size && ix.key[at] == k)
                continue; // a later row with the same code is never used
            for (int j = ix.size; j > at; --j) {
                ix.key[j] = ix.key[j - 1];
                ix.row[j] = ix.row[j - 1];
            }
            ix.key[at] = k;
            ix.row[at] = i;
            ++ix.size;
        }
        return ix;
    }();
    return index;
}

} // namespace

int find_code(std::string_view code) {
    if (code.size() > 7)
        return kEndRow;
    const Index& ix = code_index();
    const std::uint64_t k = pack(code);
    int lo = 0, hi = ix.size;
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        if (ix.key[mid] < k)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo < ix.size && ix.key[lo] == k ? ix.row[lo] : kEndRow;
}

std::string_view EtabTxt(int row) {
    convert_once();
    return {converted.txt[row], converted.txt_len[row]};
}

std::string_view EtabCek(int row) {
    convert_once();
    return {converted.cek[row], converted.cek_len[row]};
}

void reset_catalogue() {
    convert_once();
    for (auto& n : EtabNum)
        n = 0;
}

} // namespace report
