#pragma once
// O módulo de dados: dono da única conexão com a base, da configuração e das tabelas de
// referência. Vive durante toda a execução do programa.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "data/ConfigApp.h"
#include "data/Consistencia.h"
#include "data/CopiaSeguranca.h"
#include "data/Referencia.h"
#include "data/fb/Conexao.h"

namespace kov::fb { class Transacao; }

namespace kov {

class Interacao;

class Tdm {
public:
    // 'diretorioPrograma' é a pasta do executável (com barra final); vazio usa a real.
    explicit Tdm(Interacao& ui, std::string diretorioPrograma = {});
    ~Tdm();
    Tdm(const Tdm&) = delete;
    Tdm& operator=(const Tdm&) = delete;

    TConfigApp ConfigApp;

    // Rotina de criação: lê KOV.ini, conecta, verifica a versão da base e abre as tabelas
    // de referência. Falhas são mostradas pela Interacao; o programa continua sem conexão.
    void DataModuleCreate();

    // Verdadeiro quando a verificação da base pediu o encerramento do programa.
    bool terminacaoSolicitada() const { return terminar_; }
    bool conectado() const { return MainConnection.aberta(); }
    // Valor do parâmetro Database lido do KOV.ini, como foi escrito.
    const std::string& parametroDatabase() const { return database_; }
    // Caminho entregue ao Firebird (relativo resolvido contra a pasta do programa).
    const std::string& caminhoBanco() const { return caminho_; }
    // Parâmetros de toda conexão com a base configurada: o caminho e, numa base servida por
    // um servidor Firebird, o usuário e a senha das chaves Usuario e Senha do KOV.ini (sem
    // elas, o usuário padrão do programa). O motor embutido não confere senha e usa sempre
    // o usuário padrão, dono das bases que o programa cria.
    fb::ParametrosConexao parametrosConexao() const;
    const std::string& diretorioPrograma() const { return dirPrograma_; }
    std::string arquivoIni() const;

    // Abre (true) ou fecha (false) a conexão principal.
    void DefinirConexao(bool abrir);
    // Pede ao serviço do servidor Firebird local para parar (0) ou iniciar (1).
    bool ServicoFirebird(int acao);

    std::string LerParametro(const std::string& nome);
    std::string LerParametro(fb::Transacao& tr, const std::string& nome);
    void GravarParametro(const std::string& nome, const std::string& valor);

    // Verificação da versão e atualização da base, passo a passo, até a versão do programa.
    // Recusa uma base que não é do KOV. Antes da primeira mudança guarda uma cópia do arquivo
    // ao lado dele; uma atualização interrompida é retomada com a mesma cópia.
    void AtualizarBaseDados();
    std::string LerVersaoBanco();
    bool VerificarParametros();
    // Junta nas colunas "outras" os valores das cinco exclusões que os totais não usam mais.
    void ConsolidarExclusoesOutras(fb::Transacao& tr);
    // Cópia de segurança feita antes da atualização (vazio quando não houve atualização).
    const std::string& copiaAntesDaAtualizacao() const { return copia_; }
    // Depois de uma subida desde a 7.00.04 sem os arquivos CNAE: o que não foi renovado.
    const std::string& avisoTabelaCNAE() const { return avisoCNAE_; }
    // Usa outra base no lugar da indicada no KOV.ini (kov-cli atualizar-base CAMINHO).
    void definirBanco(const std::string& caminho) { bancoForcado_ = caminho; }
    // Pasta onde ficam a base e os arquivos compactados da tabela CNAE.
    std::string pastaBanco() const;

    // Tabelas de referência abertas depois da verificação.
    TabelasReferencia ref;
    void AbrirReferencias();
    void FecharReferencias();
    // Códigos CNAE-F válidos em 1º de janeiro do ano seguinte ao ano base.
    std::vector<LinhaCNAEF> CNAEFDoAnoBase();
    // Os mesmos para o ano base dado (o valor de ANOEXERCICIO); vazio se não é um ano.
    std::vector<LinhaCNAEF> CNAEFDoAnoBase(const std::string& anoExercicio) const;

    // Marcador das linhas novas de outras entradas por município ('S' ou 'N').
    std::string MudancaMunicipioPadrao = "N";
    // As duas listas de erros da consistência feita pelas telas (declarações com erros e
    // erros), esvaziadas a cada consistência nova.
    ListasConsistencia Consistencias;

    fb::Conexao MainConnection;
    Interacao& ui() { return ui_; }

private:
    void abrirConexao();
    // Abre a base do caminho configurado, recusando antes de gravar nela um arquivo que não
    // é base do KOV.
    void abrirBaseVerificada();
    bool executarPasso(const struct PassoEscada& p);
    bool AtualizarVersao70004();
    void prepararCopiaSeguranca(const std::string& versaoAtual, const std::optional<DiarioAtualizacao>& diario);
    std::string comCopia(const std::string& texto) const;
    void MainConnectionBeforeDisconnect();

    Interacao& ui_;
    std::string dirPrograma_;
    std::string database_;
    std::string caminho_;
    std::string usuario_, senha_;  // chaves Usuario e Senha do KOV.ini (vazias: o padrão)
    bool terminar_ = false;
    std::string copia_;
    std::string avisoCNAE_;
    std::string bancoForcado_;
    // Comandos preparados reusados pela conexão principal depois da verificação da base:
    // carregar, consistir e gravar declarações repetem as mesmas consultas
    std::unique_ptr<fb::ReusoDeComandos> reuso_;
};

// Resolve o valor de Database do KOV.ini: barras invertidas viram "/", um caminho local
// relativo é tomado a partir da pasta do programa; "host:caminho" e vazio ficam como estão.
std::string ResolverCaminhoBanco(const std::string& database, const std::string& diretorioPrograma);

// Caminho do arquivo da base quando ela está nesta máquina (caminho simples ou "localhost:");
// vazio para uma base em outro computador.
std::string ArquivoLocalDaBase(const std::string& caminho);

}  // namespace kov
