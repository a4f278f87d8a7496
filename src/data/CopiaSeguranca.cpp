#include "data/CopiaSeguranca.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/GravacaoSegura.h"
#include "platform/PontoParada.h"

namespace fs = std::filesystem;

namespace kov {

namespace {

const char* const SUFIXO_TEMPORARIO = ".tmp";

std::string valorDe(const std::string& texto, const std::string& chave) {
    std::istringstream in(texto);
    std::string linha;
    while (std::getline(in, linha))
        if (linha.rfind(chave + "=", 0) == 0) return linha.substr(chave.size() + 1);
    return {};
}

}  // namespace

CopiaSeguranca::CopiaSeguranca(std::string arquivoBase) : base_(std::move(arquivoBase)) {}

std::optional<DiarioAtualizacao> CopiaSeguranca::diario() const {
    std::ifstream f(arquivoDiario(), std::ios::binary);
    if (!f) return std::nullopt;
    std::stringstream ss;
    ss << f.rdbuf();
    DiarioAtualizacao d{valorDe(ss.str(), "origem"), valorDe(ss.str(), "copia")};
    if (d.origem.empty() || d.copia.empty()) return std::nullopt;
    // A cópia fica na pasta da base; o diário guarda só o nome
    d.copia = (fs::path(base_).parent_path() / fs::path(d.copia).filename()).string();
    return d;
}

std::string CopiaSeguranca::reaproveitar(const DiarioAtualizacao& d) const {
    if (fs::exists(d.copia)) return d.copia;
    // O diário só é gravado depois da cópia completa e sincronizada: a temporária está inteira
    const std::string temporaria = d.copia + SUFIXO_TEMPORARIO;
    if (fs::exists(temporaria)) {
        RenomearSincronizado(temporaria, d.copia);
        return d.copia;
    }
    return {};
}

std::string CopiaSeguranca::copiar(const std::string& versaoNoNome, const std::string& origem) const {
    const fs::path arquivo(base_);
    const std::string nome = arquivo.stem().string() + "-" + versaoNoNome;
    fs::path destino = arquivo.parent_path() / (nome + arquivo.extension().string());
    for (int n = 2; fs::exists(destino); ++n)
        destino = arquivo.parent_path() / (nome + "-" + std::to_string(n) + arquivo.extension().string());
    const std::string temporaria = destino.string() + SUFIXO_TEMPORARIO;
    try {
        fs::remove(temporaria);  // resto de uma cópia interrompida
        fs::copy_file(arquivo, temporaria);
        // A cópia fica com o dono da base (um servidor Firebird precisa conseguir abri-la)
        struct stat st {};
        if (::stat(arquivo.c_str(), &st) == 0 && ::chown(temporaria.c_str(), st.st_uid, st.st_gid) != 0) {
            // sem permissão para trocar o dono: a cópia fica do usuário que atualizou
        }
        SincronizarArquivo(temporaria);
        PontoDeParada("copia");
        GravarArquivoSeguro(arquivoDiario(), "origem=" + origem + "\ncopia=" + destino.filename().string() + "\n");
        PontoDeParada("copia-diario");
        RenomearSincronizado(temporaria, destino.string());
    } catch (...) {
        std::error_code ec;
        fs::remove(temporaria, ec);
        throw;
    }
    return destino.string();
}

void CopiaSeguranca::concluir() const {
    std::error_code ec;
    fs::remove(arquivoDiario(), ec);
}

}  // namespace kov
