#include "data/AtualizacaoCNAE.h"

#include <zip.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "data/Codificacao.h"
#include "data/fb/Comando.h"
#include "data/fb/Conexao.h"
#include "data/fb/Transacao.h"
#include "platform/Interacao.h"
#include "platform/PontoParada.h"

namespace fs = std::filesystem;

namespace kov {

namespace {

const fb::Data INICIO_NOVOS{std::chrono::year(2007), std::chrono::January, std::chrono::day(1)};
const fb::Data FIM_NOVOS{std::chrono::year(2099), std::chrono::January, std::chrono::day(1)};

// Lê as linhas do CSV (sem o fim de linha). Lança se o arquivo não abre.
std::vector<std::string> lerLinhas(const std::string& arquivo) {
    std::ifstream f(arquivo, std::ios::binary);
    if (!f) throw ErroSistema("Não foi possível abrir o arquivo \"" + arquivo + "\".");
    std::vector<std::string> linhas;
    std::string l;
    while (std::getline(f, l)) {
        if (!l.empty() && l.back() == '\r') l.pop_back();
        linhas.push_back(TextoParaUtf8(l));
    }
    return linhas;
}

bool emBranco(const std::string& s) { return s.find_first_not_of(" \t") == std::string::npos; }

// Campos da linha número 'n', com pelo menos 'minimo' campos.
std::vector<std::string> campos(const std::string& linha, size_t n, size_t minimo) {
    auto c = DividirLinhaCNAE(linha);
    if (c.size() < minimo)
        throw ErroSistema("Linha " + std::to_string(n) + " com menos campos que o esperado: " + linha);
    return c;
}

}  // namespace

std::string TextoParaUtf8(const std::string& texto) {
    if (Utf8Valido(texto)) return texto;
    return ConverterTexto(texto, "WINDOWS-1252", "UTF-8");
}

std::vector<std::string> DividirLinhaCNAE(const std::string& linha) {
    std::vector<std::string> out;
    std::string atual;
    char aspa = 0;
    bool inicio = true;
    auto fechar = [&] {
        if (!atual.empty()) out.push_back(atual);
        atual.clear();
        inicio = true;
    };
    for (char c : linha) {
        if (aspa) {
            atual += c;
            if (c == aspa) aspa = 0;
            continue;
        }
        if (c == ';') {
            fechar();
            continue;
        }
        if (inicio && (c == ' ' || c == '\t')) continue;
        inicio = false;
        if (c == '"' || c == '\'') aspa = c;
        atual += c;
    }
    fechar();
    return out;
}

int ExtrairZip(const std::string& arquivo, const std::string& pasta) {
    int erro = 0;
    zip_t* z = zip_open(arquivo.c_str(), ZIP_RDONLY, &erro);
    if (!z) {
        zip_error_t ze;
        zip_error_init_with_code(&ze, erro);
        const std::string texto = zip_error_strerror(&ze);
        zip_error_fini(&ze);
        throw ErroSistema("Não foi possível abrir o arquivo compactado \"" + arquivo + "\": " + texto);
    }
    std::unique_ptr<zip_t, decltype(&zip_discard)> guarda(z, &zip_discard);
    const zip_int64_t n = zip_get_num_entries(z, 0);
    for (zip_int64_t i = 0; i < n; ++i) {
        const char* nomeZip = zip_get_name(z, static_cast<zip_uint64_t>(i), 0);
        if (!nomeZip) continue;
        std::string nome = nomeZip;
        if (nome.empty() || nome.back() == '/' || nome.back() == '\\') continue;  // pasta
        // Só o nome do arquivo: nada é gravado fora da pasta de destino
        const auto barra = nome.find_last_of("/\\");
        if (barra != std::string::npos) nome = nome.substr(barra + 1);
        if (nome.empty() || nome == "." || nome == "..") continue;
        zip_file_t* f = zip_fopen_index(z, static_cast<zip_uint64_t>(i), 0);
        if (!f) continue;
        std::ofstream out(fs::path(pasta) / nome, std::ios::binary | std::ios::trunc);
        char buf[65536];
        zip_int64_t lidos;
        while ((lidos = zip_fread(f, buf, sizeof buf)) > 0) out.write(buf, lidos);
        zip_fclose(f);
    }
    return static_cast<int>(n);
}

AtualizacaoCNAE::AtualizacaoCNAE(fb::Conexao& conexao, std::string pastaBanco)
    : c_(conexao), pasta_(std::move(pastaBanco)) {}

std::optional<std::vector<std::string>> AtualizacaoCNAE::extrair(const std::string& zip, const std::string& csv) {
    const fs::path arqZip = fs::path(pasta_) / zip;
    if (!fs::exists(arqZip)) return std::nullopt;
    if (ExtrairZip(arqZip.string(), pasta_) == 0)
        throw ErroSistema("Erro - nenhum arquivo do tipo Compactado(.ZIP) encontrado!");
    const std::string arquivo = (fs::path(pasta_) / csv).string();
    PontoDeParada(("extraido-" + csv).c_str());
    auto linhas = lerLinhas(arquivo);
    std::error_code ec;
    fs::remove(arquivo, ec);
    return linhas;
}

bool AtualizacaoCNAE::AtualizarTabelaCNAE(const AntesDeConfirmar& antes) {
    const auto linhas = extrair("TabelaCNAE20.zip", "TabelaCNAE20.csv");
    if (!linhas) return false;
    fb::Transacao tr(c_);
    try {
        fb::Comando busca(tr,
                          "SELECT CNAEF.CNAEF_ID, CNAEF.DESMEMBRAMENTO FROM CNAEF WHERE CNAEF.CNAEF_ID = :ID_CNAE AND "
                          "CNAEF.DESMEMBRAMENTO = :DESM_CNAE");
        fb::Comando atualiza(tr,
                             "UPDATE CNAEF SET CNAEF.DESCRICAO = :NEW_DESC, CNAEF.DATA_FIM = :DT_FIM WHERE CNAEF.CNAEF_ID "
                             "= :ID_CNAE AND CNAEF.DESMEMBRAMENTO = :DESM_CNAE");
        fb::Comando insere(tr,
                           "INSERT INTO CNAEF(CNAEF_ID,DESMEMBRAMENTO,DESCRICAO,DATA_INICIO,DATA_FIM) "
                           "VALUES(:CNAEF_ID,:DESMEMBRAMENTO,:DESCRICAO,:DATA_INICIO,:DATA_FIM)");
        for (size_t i = 0; i < linhas->size(); ++i) {
            const std::string& linha = (*linhas)[i];
            if (emBranco(linha)) continue;
            const auto f = campos(linha, i + 1, 3);
            busca.param("ID_CNAE", f[0]).param("DESM_CNAE", f[1]);
            const bool existe = busca.proximo();
            busca.fecharCursor();
            if (!existe) {
                insere.param("CNAEF_ID", f[0]).param("DESMEMBRAMENTO", f[1]).param("DESCRICAO", f[2]);
                insere.param("DATA_INICIO", INICIO_NOVOS).param("DATA_FIM", FIM_NOVOS);
                insere.executar();
            } else {
                atualiza.param("NEW_DESC", f[2]).param("DT_FIM", FIM_NOVOS);
                atualiza.param("ID_CNAE", f[0]).param("DESM_CNAE", f[1]);
                atualiza.executar();
            }
        }
        if (antes) antes(tr);
        tr.commit();
    } catch (const std::exception& e) {
        tr.rollback();
        throw ErroSistema("Não foi possível converter a tabela de CNAE \r\n" + std::string(e.what()));
    }
    return false;
}

bool AtualizacaoCNAE::CarregarCorrespondenciaCNAE(const AntesDeConfirmar& antes) {
    const auto linhas = extrair("Tabela_CNAEF_CNAE.zip", "Tabela_CNAEF_CNAE.csv");
    if (!linhas) return false;
    fb::Transacao tr(c_);
    try {
        fb::Comando insere(tr,
                           "INSERT INTO CNAEF_CNAE(CNAEF_ID,DESMEMBRAMENTO_CNAEF,CNAE_ID,DESMEMBRAMENTO_CNAE) "
                           "VALUES(:CNAEF_ID,:DESMEMBRAMENTO_CNAEF,:CNAE_ID,:DESMEMBRAMENTO_CNAE)");
        for (size_t i = 0; i < linhas->size(); ++i) {
            const std::string& linha = (*linhas)[i];
            if (emBranco(linha)) continue;
            const auto f = campos(linha, i + 1, 4);
            insere.param("CNAEF_ID", f[0]).param("DESMEMBRAMENTO_CNAEF", f[1]);
            insere.param("CNAE_ID", f[2]).param("DESMEMBRAMENTO_CNAE", f[3]);
            insere.executar();
        }
        if (antes) antes(tr);
        tr.commit();
    } catch (const std::exception& e) {
        tr.rollback();
        throw ErroSistema("Não foi possível definir a correspondência de CNAEF para CNAE. \r\n" + std::string(e.what()));
    }
    return false;
}

bool AtualizacaoCNAE::converter(const std::string& selecao, const std::string& atualizacao, const std::string& chave,
                                const AntesDeConfirmar& antes) {
    try {
        fb::Transacao tr(c_);
        fb::Comando lista(tr, selecao);
        fb::Comando mapa(tr,
                         "SELECT CNAEF_CNAE.CNAE_ID, CNAEF_CNAE.DESMEMBRAMENTO_CNAE FROM CNAEF_CNAE WHERE "
                         "CNAEF_CNAE.CNAEF_ID = :CNAEF_ID AND CNAEF_CNAE.DESMEMBRAMENTO_CNAEF = :DESMEMB");
        fb::Comando atualiza(tr, atualizacao);
        struct Linha { int64_t id; std::string cnae, desm; };
        std::vector<Linha> linhas;
        while (lista.proximo())
            linhas.push_back({lista.coluna(0).inteiro(), lista.coluna(1).texto(), lista.coluna(2).texto()});
        for (const auto& l : linhas) {
            mapa.param("CNAEF_ID", l.cnae).param("DESMEMB", l.desm);
            if (!mapa.proximo()) continue;
            const std::string novo = mapa.coluna(0).texto(), novoDesm = mapa.coluna(1).texto();
            mapa.fecharCursor();
            atualiza.param("CNAEF_ID", novo).param("DESMEMB", novoDesm).param(chave, l.id);
            atualiza.executar();
        }
        if (antes) antes(tr);
        tr.commit();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool AtualizacaoCNAE::ConverterCNAEContribuintes(const AntesDeConfirmar& antes) {
    return converter("SELECT CONTRIBUINTE_ID, CNAEF_ID, DESMEMBRAMENTO FROM CONTRIBUINTE",
                     "UPDATE CONTRIBUINTE SET CONTRIBUINTE.CNAEF_ID = :CNAEF_ID, CONTRIBUINTE.DESMEMBRAMENTO = :DESMEMB "
                     "WHERE CONTRIBUINTE.CONTRIBUINTE_ID = :CONTRIBUINTE_ID",
                     "CONTRIBUINTE_ID", antes);
}

bool AtualizacaoCNAE::ConverterCNAEDocumentos(const AntesDeConfirmar& antes) {
    return converter(
        "SELECT DOCUMENTO.DOCUMENTO_ID, DOCUMENTO.CNAEF_ID, DOCUMENTO.DESMEMBRAMENTO FROM DOCUMENTO WHERE "
        "DOCUMENTO.PERIODO >=2006",
        "UPDATE DOCUMENTO SET DOCUMENTO.CNAEF_ID = :CNAEF_ID, DOCUMENTO.DESMEMBRAMENTO = :DESMEMB WHERE "
        "DOCUMENTO.DOCUMENTO_ID = :DOCUMENTO_ID",
        "DOCUMENTO_ID", antes);
}

}  // namespace kov
