#include "data/untUtils.h"

#include <libxml/tree.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <system_error>
#include <vector>

#include "data/ConfigApp.h"
#include "platform/GravacaoSegura.h"
#include "platform/InstalacaoUsuario.h"
#include "platform/Interacao.h"
#include "platform/ValidadorIE.h"

namespace kov {

namespace fs = std::filesystem;

namespace {

// ---- UTF-8: contagem e corte por caracteres (pontos de código) -----------------------

bool ehContinuacao(unsigned char b) { return (b & 0xC0) == 0x80; }

// Número de caracteres: bytes que não são de continuação. Texto mal formado não quebra
// a conta: cada byte solto de início conta como um caractere.
size_t contarCaracteres(const std::string& s) {
    size_t n = 0;
    for (unsigned char b : s)
        if (!ehContinuacao(b)) ++n;
    return n;
}

// Os primeiros n caracteres de s, sem partir um caractere de vários bytes.
std::string primeirosCaracteres(const std::string& s, size_t n) {
    size_t contados = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        if (!ehContinuacao(static_cast<unsigned char>(s[i]))) {
            if (contados == n) return s.substr(0, i);
            ++contados;
        }
    }
    return s;
}

// Preenchimento repetido até ter exatamente n caracteres (vazio se o preenchimento é vazio).
std::string repetirAte(const std::string& preenchimento, size_t n) {
    if (preenchimento.empty() || n == 0) return {};
    const size_t porVez = std::max<size_t>(1, contarCaracteres(preenchimento));
    std::string r;
    for (size_t tem = 0; tem < n; tem += porVez) r += preenchimento;
    return primeirosCaracteres(r, n);
}

// ---- textos ---------------------------------------------------------------------------

std::string aparar(const std::string& s) {
    size_t i = 0, f = s.size();
    while (i < f && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
    while (f > i && std::isspace(static_cast<unsigned char>(s[f - 1]))) --f;
    return s.substr(i, f - i);
}

bool iguaisSemCaixa(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// Barras invertidas vindas da configuração são separadores de pasta.
std::string normalizarBarras(std::string s) {
    std::replace(s.begin(), s.end(), '\\', '/');
    return s;
}

bool digito(char c) { return c >= '0' && c <= '9'; }

int numero(const std::string& s, size_t pos, size_t n) {
    int v = 0;
    for (size_t i = pos; i < pos + n; ++i) v = v * 10 + (s[i] - '0');
    return v;
}

// ---- XML ------------------------------------------------------------------------------

// Nome do nó como no DOM: nome qualificado dos elementos e atributos, "#text",
// "#cdata-section", "#comment", "#document" para os demais.
std::string nomeNo(const xmlNode* no) {
    switch (no->type) {
        case XML_TEXT_NODE: return "#text";
        case XML_CDATA_SECTION_NODE: return "#cdata-section";
        case XML_COMMENT_NODE: return "#comment";
        case XML_DOCUMENT_NODE:
        case XML_HTML_DOCUMENT_NODE: return "#document";
        case XML_DOCUMENT_FRAG_NODE: return "#document-fragment";
        default: break;
    }
    std::string nome = no->name ? reinterpret_cast<const char*>(no->name) : "";
    if ((no->type == XML_ELEMENT_NODE || no->type == XML_ATTRIBUTE_NODE) && no->ns && no->ns->prefix)
        nome = std::string(reinterpret_cast<const char*>(no->ns->prefix)) + ":" + nome;
    return nome;
}

// Leitura do texto de um nó como no DOM de origem: só dá certo para um nó sem filhos ou
// cujos filhos são todos texto (um "elemento de texto"); um nó com elementos dentro falha.
bool lerTextoNo(const xmlNode* no, std::string& texto) {
    texto.clear();
    for (const xmlNode* f = no->children; f; f = f->next) {
        if (f->type != XML_TEXT_NODE && f->type != XML_CDATA_SECTION_NODE) return false;
        if (f->content) texto += reinterpret_cast<const char*>(f->content);
    }
    if (!no->children && no->type != XML_ELEMENT_NODE && no->content)
        texto = reinterpret_cast<const char*>(no->content);
    return true;
}

}  // namespace

// ---- identidade -------------------------------------------------------------------------

std::string VersaoSistema(const TConfigApp& c) { return c.Versao + c.Release; }

std::string TituloSistema(const TConfigApp& c) { return "PRELO - Versão " + VersaoSistema(c); }

// ---- pastas -----------------------------------------------------------------------------

// A pasta do executável numa instalação portátil; instalado por pacote, a EXE/ da raiz do usuário.
std::string DiretorioAplicacao() { return PastaDoProgramaEmUso(); }

// No Windows "temp\" e "Temp\" são a mesma pasta: a que a saída do programa esvazia
// (DiretorioTempAplicacao) é a mesma em que os arquivos de declaração são montados
// (DiretorioTemp). No Linux, que distingue maiúsculas, as duas usam "temp/", a pasta
// da instalação (EXE/temp/).
std::string DiretorioTempAplicacao() { return DiretorioAplicacao() + "temp/"; }

std::string DiretorioTemp() {
    const std::string pasta = DiretorioAplicacao() + "temp/";
    std::error_code ec;
    fs::create_directories(pasta, ec);
    return pasta;
}

std::string IncluirBarra(const std::string& pasta) {
    if (pasta.empty() || pasta.back() == '/' || pasta.back() == '\\') return pasta;
    return pasta + "/";
}

void ApagarArquivosDiretorio(const std::string& pastaOriginal) {
    std::string pasta = pastaOriginal;
    if (pasta.empty() || (pasta.back() != '/' && pasta.back() != '\\')) pasta += '/';
    // Raiz de unidade ("/", "C:\", "C:/", "C:"): não faz nada.
    if (contarCaracteres(pasta) <= 3) return;

    const fs::path caminho = normalizarBarras(pasta);
    std::error_code ec;
    // Proteção a mais: um caminho mais longo que ainda é a raiz ("/../", "/./.") também não.
    const fs::path real = fs::weakly_canonical(caminho, ec);
    if (ec || real == real.root_path()) return;
    if (!fs::is_directory(caminho, ec)) return;

    fs::directory_iterator it(caminho, ec), fim;
    if (ec) return;
    for (; it != fim; it.increment(ec)) {
        if (ec) break;
        const std::string nome = it->path().filename().string();
        if (nome.empty() || nome[0] == '.') continue;  // ocultos
        std::error_code ecTipo;
        if (!it->is_regular_file(ecTipo)) continue;     // subpastas, dispositivos, fifos
        std::error_code ecApagar;
        fs::remove(it->path(), ecApagar);               // falha em um arquivo: segue com os outros
    }
}

// ---- arquivo INI ------------------------------------------------------------------------
//
// Formato: seções "[Nome]" e linhas "chave=valor". Seções e chaves sem distinção de
// maiúsculas (ASCII); chaves e valores aparados; um valor entre aspas duplas ou simples
// perde as aspas. Linhas que começam (depois de brancos) por ";" ou "#" são comentários;
// não há comentário no fim da linha (um valor pode conter ";" ou "#"). Fins de linha
// CR LF ou LF; marca UTF-8 (BOM) inicial ignorada. Havendo repetição, vale a primeira
// ocorrência da chave na seção.
std::string LerIni(const std::string& arquivo, const std::string& secao, const std::string& chave) {
    const std::string caminho = normalizarBarras(arquivo);
    std::error_code ec;
    if (caminho.empty() || !fs::is_regular_file(caminho, ec)) throw ErroSistema("Arquivo INI não encontrado!");

    std::ifstream in(caminho, std::ios::binary);
    if (!in) return {};
    std::stringstream ss;
    ss << in.rdbuf();
    std::string conteudo = ss.str();
    if (conteudo.compare(0, 3, "\xEF\xBB\xBF") == 0) conteudo.erase(0, 3);

    const std::string secaoProcurada = aparar(secao);
    const std::string chaveProcurada = aparar(chave);
    bool naSecao = false;
    std::istringstream linhas(conteudo);
    std::string linha;
    while (std::getline(linhas, linha)) {
        if (!linha.empty() && linha.back() == '\r') linha.pop_back();
        linha = aparar(linha);
        if (linha.empty() || linha[0] == ';' || linha[0] == '#') continue;
        if (linha[0] == '[') {
            const auto fecha = linha.find(']');
            const std::string nome = aparar(linha.substr(1, fecha == std::string::npos ? std::string::npos : fecha - 1));
            naSecao = iguaisSemCaixa(nome, secaoProcurada);
            continue;
        }
        if (!naSecao) continue;
        const auto igual = linha.find('=');
        if (igual == std::string::npos) continue;
        if (!iguaisSemCaixa(aparar(linha.substr(0, igual)), chaveProcurada)) continue;
        std::string valor = aparar(linha.substr(igual + 1));
        if (valor.size() >= 2 && (valor.front() == '"' || valor.front() == '\'') && valor.back() == valor.front())
            valor = valor.substr(1, valor.size() - 2);
        return valor;
    }
    return {};
}

void EscreverIni(const std::string& arquivo, const std::string& secao, const std::string& chave,
                 const std::string& valor) {
    const std::string caminho = normalizarBarras(arquivo);
    std::string conteudo;
    {
        std::ifstream in(caminho, std::ios::binary);
        if (in) {
            std::stringstream ss;
            ss << in.rdbuf();
            conteudo = ss.str();
        }
    }
    // A marca UTF-8 fica fora das linhas (senão a primeira seção não seria reconhecida, e a
    // chave iria para uma seção repetida no fim, que a leitura nunca alcança) e volta ao gravar
    const bool bom = conteudo.compare(0, 3, "\xEF\xBB\xBF") == 0;
    if (bom) conteudo.erase(0, 3);
    // As linhas como estão (fins de linha do arquivo preservados); só a da chave muda
    const std::string fim = conteudo.find("\r\n") != std::string::npos || conteudo.empty() ? "\r\n" : "\n";
    std::vector<std::string> linhas;
    {
        std::istringstream in(conteudo);
        std::string l;
        while (std::getline(in, l)) {
            if (!l.empty() && l.back() == '\r') l.pop_back();
            linhas.push_back(l);
        }
    }
    const std::string nova = chave + "=" + valor;
    bool naSecao = false, gravada = false;
    size_t fimSecao = std::string::npos;  // onde a chave entra quando a seção não a tem
    for (size_t i = 0; i < linhas.size() && !gravada; ++i) {
        const std::string l = aparar(linhas[i]);
        if (!l.empty() && l[0] == '[') {
            if (naSecao) break;
            const auto fecha = l.find(']');
            naSecao = iguaisSemCaixa(aparar(l.substr(1, fecha == std::string::npos ? std::string::npos : fecha - 1)),
                                     aparar(secao));
            if (naSecao) fimSecao = i + 1;
            continue;
        }
        if (!naSecao) continue;
        if (!l.empty() && l[0] != ';' && l[0] != '#') {
            fimSecao = i + 1;
            const auto igual = l.find('=');
            if (igual != std::string::npos && iguaisSemCaixa(aparar(l.substr(0, igual)), aparar(chave))) {
                linhas[i] = nova;
                gravada = true;
            }
        }
    }
    if (!gravada) {
        if (fimSecao == std::string::npos) {
            if (!linhas.empty() && !aparar(linhas.back()).empty()) linhas.push_back("");
            linhas.push_back("[" + secao + "]");
            linhas.push_back(nova);
        } else {
            linhas.insert(linhas.begin() + static_cast<long>(fimSecao), nova);
        }
    }
    std::string saida = bom ? "\xEF\xBB\xBF" : "";
    for (const auto& l : linhas) saida += l + fim;
    try {
        GravarArquivoSeguro(caminho, saida);
    } catch (const std::exception&) {
        throw ErroSistema("Não foi possível gravar o arquivo " + caminho + ".");
    }
}

// ---- inscrição estadual -----------------------------------------------------------------

bool ConsisteIE(const std::string& inscricao, const std::string& uf, Interacao* ui) {
    std::string erro;
    try {
        FuncaoValidadorIE validador = ValidadorIEAtual();
        if (!validador) throw ErroSistema("Ponto de entrada não encontrado na Dll");
        return validador(inscricao, uf) == 0;
    } catch (const std::exception& e) {
        erro = e.what();
    } catch (...) {
        erro = "Erro desconhecido na validação da inscrição estadual";
    }
    if (ui) ui->mensagem(TipoMensagem::Aviso, "Aviso", erro + "\n" + "Contacte o suporte da DRU!");
    return false;
}

std::string FormatarIE(const std::string& ie13) {
    if (contarCaracteres(ie13) != 13) return ie13;  // não tem 13 caracteres: como está
    const std::string a = primeirosCaracteres(ie13, 3);
    const std::string ab = primeirosCaracteres(ie13, 9);
    return a + "." + ab.substr(a.size()) + "." + ie13.substr(ab.size());
}

// ---- preenchimento ----------------------------------------------------------------------
//
// Larguras contam caracteres (UTF-8), não bytes. Texto mais longo que a largura: seus
// primeiros 'largura' caracteres. Senão o preenchimento é repetido até a largura e cortado
// nela (um preenchimento de vários caracteres nunca passa da largura). Preenchimento vazio:
// o texto volta como está. Largura negativa vale 0.

std::string CompletarDireita(const std::string& texto, const std::string& preenchimento, int largura) {
    const size_t l = largura < 0 ? 0 : static_cast<size_t>(largura);
    const size_t n = contarCaracteres(texto);
    if (n > l) return primeirosCaracteres(texto, l);
    return texto + repetirAte(preenchimento, l - n);
}

std::string CompletarEsquerda(const std::string& texto, const std::string& preenchimento, int largura) {
    const size_t l = largura < 0 ? 0 : static_cast<size_t>(largura);
    const size_t n = contarCaracteres(texto);
    if (n > l) return primeirosCaracteres(texto, l);
    return repetirAte(preenchimento, l - n) + texto;
}

// ---- datas ------------------------------------------------------------------------------

int AnoDaData(const std::chrono::year_month_day& data) { return static_cast<int>(data.year()); }

int MesDaData(const std::chrono::year_month_day& data) { return static_cast<int>(static_cast<unsigned>(data.month())); }

int UltimoDiaMes(int mes, int ano) {
    if (mes < 1 || mes > 12) throw std::invalid_argument("Mês inválido: " + std::to_string(mes));
    using namespace std::chrono;
    const year_month_day_last ultimo{year{ano}, month_day_last{month{static_cast<unsigned>(mes)}}};
    return static_cast<int>(static_cast<unsigned>(ultimo.day()));
}

bool SoNumeros(const std::string& texto) {
    if (texto.empty()) return false;
    return std::all_of(texto.begin(), texto.end(), digito);
}

bool DataValida(const std::string& t) {
    if (t.size() != 10) return false;
    if (t[2] != '/' || t[5] != '/') return false;
    for (size_t i : {0, 1, 3, 4, 6, 7, 8, 9})
        if (!digito(t[i])) return false;
    const int dia = numero(t, 0, 2), mes = numero(t, 3, 2), ano = numero(t, 6, 4);
    if (dia < 1 || dia > 31 || mes < 1 || mes > 12 || ano <= 1949) return false;
    using namespace std::chrono;
    const year_month_day data{year{ano}, month{static_cast<unsigned>(mes)}, day{static_cast<unsigned>(dia)}};
    if (!data.ok()) return false;  // 31/02, 29/02 fora de ano bissexto...
    return sys_days{data} > sys_days{year{1950} / January / 1};
}

// Horas 0..24, minutos e segundos 0..59, como na tabela; a hora 24 só vale como
// "24:00:00" (o fim do dia, como na ISO 8601). "24:30:00" não é hora do dia e é recusada,
// embora a tabela, lida ao pé da letra, a aceitasse: as horas de protocolo vêm do
// transmissor e nunca passam de 24:00:00.
bool HoraValida(const std::string& t) {
    if (t.size() != 8) return false;
    if (t[2] != ':' || t[5] != ':') return false;
    for (size_t i : {0, 1, 3, 4, 6, 7})
        if (!digito(t[i])) return false;
    const int h = numero(t, 0, 2), m = numero(t, 3, 2), s = numero(t, 6, 2);
    if (h > 24 || m > 59 || s > 59) return false;
    if (h == 24 && (m != 0 || s != 0)) return false;
    return true;
}

std::string NomeMes(int mes) {
    static const char* const nomes[] = {"Janeiro", "Fevereiro", "Março",    "Abril",   "Maio",     "Junho",
                                        "Julho",   "Agosto",    "Setembro", "Outubro", "Novembro", "Dezembro"};
    if (mes < 1 || mes > 12) return {};
    return nomes[mes - 1];
}

// ---- XML ----------------------------------------------------------------------------------

// Literal da tabela: primeiro o filho direto com o nome; não havendo, a busca se repete
// em profundidade dentro dos filhos do SEGUNDO ao último (o primeiro filho não é
// revisitado), parando no primeiro achado. Nó sem filhos: nenhum.
_xmlNode* ProcurarNo(const std::string& nome, _xmlNode* no) {
    if (!no || !no->children) return nullptr;
    for (xmlNode* f = no->children; f; f = f->next)
        if (nomeNo(f) == nome) return f;
    for (xmlNode* f = no->children->next; f; f = f->next)
        if (xmlNode* achado = ProcurarNo(nome, f)) return achado;
    return nullptr;
}

std::string TextoNo(const std::string& nome, _xmlNode* no) {
    xmlNode* achado = ProcurarNo(nome, no);
    if (!achado) return {};
    std::string texto;
    if (lerTextoNo(achado, texto)) return texto;
    // A leitura falhou (o nó tem elementos dentro): vale o irmão seguinte quando é texto.
    const xmlNode* irmao = achado->next;
    if (irmao && irmao->type == XML_TEXT_NODE && irmao->content) return reinterpret_cast<const char*>(irmao->content);
    return {};
}

std::string ChaveOrdemAlfabetica(const std::string& texto) {
    static const std::pair<const char*, char> acentos[] = {
        {"á", 'A'}, {"à", 'A'}, {"â", 'A'}, {"ã", 'A'}, {"ä", 'A'}, {"Á", 'A'}, {"À", 'A'}, {"Â", 'A'}, {"Ã", 'A'},
        {"Ä", 'A'}, {"é", 'E'}, {"ê", 'E'}, {"è", 'E'}, {"É", 'E'}, {"Ê", 'E'}, {"È", 'E'}, {"í", 'I'}, {"Í", 'I'},
        {"ì", 'I'}, {"Ì", 'I'}, {"ó", 'O'}, {"ô", 'O'}, {"õ", 'O'}, {"ò", 'O'}, {"ö", 'O'}, {"Ó", 'O'}, {"Ô", 'O'},
        {"Õ", 'O'}, {"Ò", 'O'}, {"Ö", 'O'}, {"ú", 'U'}, {"ü", 'U'}, {"ù", 'U'}, {"Ú", 'U'}, {"Ü", 'U'}, {"Ù", 'U'},
        {"ç", 'C'}, {"Ç", 'C'}, {"ñ", 'N'}, {"Ñ", 'N'}};
    std::string r;
    for (size_t i = 0; i < texto.size();) {
        bool trocou = false;
        for (const auto& [de, para] : acentos) {
            const size_t n = std::char_traits<char>::length(de);
            if (texto.compare(i, n, de) == 0) {
                r += para;
                i += n;
                trocou = true;
                break;
            }
        }
        if (trocou) continue;
        const char c = texto[i++];
        r += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
    return r;
}

}  // namespace kov
