#include "data/ConfigApp.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "data/untUtils.h"
#include "platform/Interacao.h"

namespace kov {

namespace {

bool soBrancos(const std::string& s) {
    return std::all_of(s.begin(), s.end(), [](unsigned char c) { return std::isspace(c) != 0; });
}

}  // namespace

void DefinirNomeArqLog(TConfigApp& c, const std::string& nome, Interacao* ui, const std::string& pasta) {
    c.NomeArqLog = nome;
    c.NumLinhasLog = 0;
    if (!c.GeraLog || c.MaxNumLinhas == 0) return;

    if (soBrancos(nome)) {
        // A caixa de mensagem simples do sistema (ShowMessage), com o título da aplicação.
        if (ui)
            ui->mensagem(TipoMensagem::Informacao, c.SiglaSistema,
                         "Não foi informado o nome do arquivo de Log de controle da aplicação!");
        c.GeraLog = false;
        return;
    }

    std::string base = pasta.empty() ? DiretorioAplicacao() : IncluirBarra(pasta);
    std::string arquivo = base + nome;
    std::replace(arquivo.begin(), arquivo.end(), '\\', '/');
    c.ArquivoLog = arquivo;

    std::error_code ec;
    if (!std::filesystem::exists(arquivo, ec)) return;
    if (std::filesystem::is_directory(arquivo, ec)) {  // abrir uma pasta como texto: erro de E/S
        c.GeraLog = false;
        return;
    }
    std::ifstream in(arquivo, std::ios::binary);
    if (!in) {
        c.GeraLog = false;
        return;
    }
    std::string linha;
    int linhas = 0;
    while (std::getline(in, linha)) ++linhas;
    if (in.bad()) {
        c.GeraLog = false;
        return;
    }
    c.NumLinhasLog = linhas;
}

}  // namespace kov
