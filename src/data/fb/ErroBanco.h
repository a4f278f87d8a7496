#pragma once
// Erro vindo do Firebird (ou do acesso a ele), com o texto do servidor.
#include <stdexcept>
#include <string>
#include <vector>

namespace kov::fb {

class ErroBanco : public std::runtime_error {
public:
    explicit ErroBanco(const std::string& texto, int codigoSql = 0, long codigoGds = 0)
        : std::runtime_error(texto), codigoSql_(codigoSql), codigoGds_(codigoGds) {}
    int codigoSql() const { return codigoSql_; }
    long codigoGds() const { return codigoGds_; }
    // Violação de chave primária ou única.
    bool violacaoDeChave() const;
    // Outra transação alterou (ou trava) a mesma linha: o comando foi desfeito e pode ser
    // repetido depois que a outra terminou.
    bool conflitoDeAtualizacao() const;

    // Causa de uma falha ao abrir a base, pelos códigos do servidor.
    enum class CausaAbertura {
        Outra, ArquivoAusente, SemPermissao, AbertaPorOutro, NaoEBase, OutraVersao, Danificada,
        UsuarioRecusado, ServidorInacessivel, SemDireitos
    };
    CausaAbertura causaAbertura() const;

    // Todos os códigos isc_arg_gds do vetor de status, na ordem, e o código de erro do
    // sistema operacional que o servidor anexou (errno; 0 quando não há).
    const std::vector<long>& codigos() const { return codigos_; }
    bool tem(long codigo) const;
    int erroSistema() const { return erroSistema_; }
    void detalhar(std::vector<long> codigos, int erroSistema) {
        codigos_ = std::move(codigos);
        erroSistema_ = erroSistema;
    }

private:
    int codigoSql_;
    long codigoGds_;
    std::vector<long> codigos_;
    int erroSistema_ = 0;
};

}  // namespace kov::fb
