#pragma once
// Apoio aos testes: pasta temporária com uma instalação (EXE/, BD/, KOV.ini) e uma base
// criada com os scripts distribuídos, aberta com o servidor embutido.
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "data/fb/Conexao.h"

namespace kov::teste {

// Pasta temporária apagada no destrutor (só pelo processo que a criou).
class PastaTemporaria {
public:
    PastaTemporaria();
    ~PastaTemporaria();
    const std::filesystem::path& caminho() const { return p_; }
    std::string str() const { return p_.string(); }

private:
    std::filesystem::path p_;
    int dono_;
};

// Cria (uma vez por processo) uma base modelo e devolve uma cópia nova em 'destino'.
// Copiar o arquivo é muito mais rápido do que rodar os scripts a cada teste.
void copiarBaseModelo(const std::filesystem::path& destino);

// O mesmo para as bases antigas de db/antigas (versao "7.00.04" ou "7.05.03").
void copiarBaseAntiga(const std::string& versao, const std::filesystem::path& destino);

// Páginas de 8 KiB que diferem entre duas cópias do arquivo da base, sem contar o
// cabeçalho (página 0) e as páginas de inventário de transações informadas.
std::vector<size_t> paginasAlteradas(const std::string& a, const std::string& b, const std::set<size_t>& tip);

// Cópia da base modelo numa pasta temporária, aberta (servidor embutido, ou o servidor de
// teste na suíte de servidor).
struct BaseAberta {
    PastaTemporaria pasta;
    fb::Conexao c;
    BaseAberta();
};

// Instalação de teste: <raiz>/EXE/KOV.ini apontando para ../BD/KOV.GDB e a base criada.
struct InstalacaoTeste {
    PastaTemporaria raiz;
    std::filesystem::path exe, bd, base;
    explicit InstalacaoTeste(bool criarBase = true);
    void escreverIni(const std::string& conteudo);
    // Roda um comando SQL na base da instalação, por fora do programa, e confirma.
    void executarSQL(const std::string& sql);
};

// Servidor de teste (KOV_SERVIDOR_TESTE=host, por exemplo "localhost"), ou vazio.
std::string servidorTeste();

std::string lerArquivo(const std::filesystem::path& p);
void escreverArquivo(const std::filesystem::path& p, const std::string& conteudo);

}  // namespace kov::teste

namespace kov::teste {

// Endereço da base para a suíte em execução: caminho simples (servidor embutido) ou,
// na suíte de servidor, "host:caminho" no servidor de teste.
inline std::string enderecoBanco(const std::filesystem::path& p) {
#ifdef KOV_SUITE_SERVIDOR
    return servidorTeste() + ":" + p.string();
#else
    return p.string();
#endif
}

}  // namespace kov::teste

namespace kov::teste {

// Definido aqui porque o endereço depende da suíte em que o teste é compilado.
inline BaseAberta::BaseAberta() {
    copiarBaseModelo(pasta.caminho() / "KOV.GDB");
    fb::ParametrosConexao p;
    p.banco = enderecoBanco(pasta.caminho() / "KOV.GDB");
    c.abrir(p);
}

// KOV.ini da instalação de teste para a suíte em execução.
inline std::string iniDaSuite(const InstalacaoTeste& i) {
#ifdef KOV_SUITE_SERVIDOR
    return "[KOV]\nDatabase=" + enderecoBanco(i.base) + "\n";
#else
    (void)i;
    return "[KOV]\r\nDatabase=..\\BD\\KOV.GDB\r\n";
#endif
}

}  // namespace kov::teste
