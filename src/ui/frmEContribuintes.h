#pragma once
// Tela de edição de um contribuinte ("Contribuinte"): identificação, responsável,
// atividade econômica (escolhida na árvore CNAE-F) e endereço. A gravação faz as
// verificações do cadastro na ordem da tela, mostra a mensagem de cada uma e foca o campo
// que precisa ser corrigido.
#include "ui/AncestralKOV.h"

class QComboBox;
class QLineEdit;
class QToolButton;

namespace kov::ui {

class TFormEdicaoContribuinte : public TfrmAncestralKOV {
    Q_OBJECT
public:
    TFormEdicaoContribuinte(Tdm& dm, ConjuntoDados* conjunto, QWidget* pai = nullptr);

    QLineEdit* edtInscEstadual;
    QLineEdit* edtRazaoSocial;
    QLineEdit* edtCNPJ;
    QLineEdit* edtEmail;
    QComboBox* cbTipoContribuinte;
    QComboBox* cbResponsavel;
    QToolButton* btnNovoResponsavel;
    QLineEdit* edtCnaef;
    QLineEdit* edtDesmembramento;
    QLineEdit* edtDescricaoCnaef;
    QToolButton* btnLocalizarCnaef;
    QComboBox* cbMunicipio;
    QToolButton* btnLocalizarMunicipio;
    QLineEdit* edtEndereco;
    QLineEdit* edtNumero;
    QLineEdit* edtComplemento;
    QLineEdit* edtBairro;
    QLineEdit* edtCEP;
    QLineEdit* edtCaixaPostal;
    QLineEdit* edtAgenciaPostal;
    QLineEdit* edtDDD;
    QLineEdit* edtTelefone;

public slots:
    // Abre a lista de responsáveis; quando ela fecha, a lista de escolha é lida de novo.
    void cadastrarResponsavel();
    // Lê de novo os responsáveis da lista de escolha.
    void carregarResponsaveis();

protected:
    // As verificações do cadastro terminam pelos campos obrigatórios, depois das
    // mensagens próprias da tela (inscrição, CEP, DDD, ...): a verificação genérica não
    // vem antes delas.
    void verificarObrigatorios() override {}
};

}  // namespace kov::ui
