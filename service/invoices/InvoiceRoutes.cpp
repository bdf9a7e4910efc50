#include "service/invoices/InvoiceRoutes.h"

#include "service/http/ConditionalAnswer.h"
#include "service/http/JsonBody.h"
#include "service/http/Route.h"
#include "service/invoices/InvoiceLifecycleActions.h"
#include "service/invoices/InvoicePaymentActions.h"
#include "service/invoices/InvoicePreviewActions.h"
#include "service/invoices/InvoiceScheduleActions.h"
#include "service/invoices/InvoiceSendActions.h"

namespace zelvorin::service {

namespace {

// PaymentBody: amountCents, paymentDate?, method, notes?.
PaymentRequest paymentRequest(const Json& body) {
    return {requiredInteger(body, "amountCents"), optionalText(body, "paymentDate"),
            requiredText(body, "method"), optionalText(body, "notes")};
}

}  // namespace

void addInvoiceRoutes(RouteTable& routes, const ServiceDatabase& database, const MailOutbox& outbox) {
    routes.get("api/native/v1/invoices/{id}/preview-pdf", Access::member, [&](RequestContext& context) {
        return conditionalReply(
            context, invoicePreviewPdf(database, context.caller(), context.parameter("id"), context.now()),
            "application/pdf");
    });
    routes.add(HttpMethod::post, "api/native/v1/invoices/{id}/send", Access::member, BodyRule::json(),
               [&](RequestContext& context) {
                   return Reply::json(sendInvoice(database, outbox, context.caller(), context.parameter("id"),
                                                  sendRequestFromJson(context.body()), context.now()));
               });
    routes.add(
        HttpMethod::post, "api/native/v1/invoices/{id}/resend", Access::member, BodyRule::json(),
        [&](RequestContext& context) {
            return Reply::json(resendInvoice(database, outbox, context.caller(), context.parameter("id"),
                                             sendRequestFromJson(context.body()), context.now()));
        });
    routes.add(HttpMethod::post, "api/native/v1/invoices/{id}/schedule", Access::member, BodyRule::json(),
               [&](RequestContext& context) {
                   return Reply::json(scheduleInvoiceSend(database, context.caller(), context.parameter("id"),
                                                          sendRequestFromJson(context.body()),
                                                          requiredText(context.body(), "scheduledAt"),
                                                          context.now()));
               });
    routes.add(HttpMethod::del, "api/native/v1/invoices/{id}/schedule", Access::member, BodyRule::none(),
               [&](RequestContext& context) {
                   return Reply::json(cancelScheduledSend(database, context.caller(), context.parameter("id"),
                                                          context.now()));
               });
    routes.add(HttpMethod::post, "api/native/v1/invoices/{id}/payments", Access::member, BodyRule::json(),
               [&](RequestContext& context) {
                   return Reply::json(addInvoicePayment(database, context.caller(), context.parameter("id"),
                                                        paymentRequest(context.body()), context.now()));
               });
    routes.add(HttpMethod::post, "api/native/v1/invoices/{id}/mark-paid", Access::member, BodyRule::json(),
               [&](RequestContext& context) {
                   return Reply::json(markInvoicePaid(database, context.caller(), context.parameter("id"),
                                                      requiredText(context.body(), "paidAt"), context.now()));
               });
    routes.add(
        HttpMethod::post, "api/native/v1/invoices/{id}/reminders", Access::member, BodyRule::json(),
        [&](RequestContext& context) {
            return Reply::json(remindInvoice(database, outbox, context.caller(), context.parameter("id"),
                                             requiredText(context.body(), "level"),
                                             sendRequestFromJson(context.body()), context.now()));
        });
    routes.add(
        HttpMethod::post, "api/native/v1/invoices/{id}/cancel", Access::member, BodyRule::json(),
        [&](RequestContext& context) {
            const Json& body = context.body();
            return Reply::json(cancelInvoice(database, context.caller(), context.parameter("id"),
                                             optionalText(body, "reason").value_or(""),
                                             optionalText(body, "confirmText").value_or(""), context.now()));
        });
    routes.add(HttpMethod::post, "api/native/v1/invoices/{id}/reopen", Access::admin, BodyRule::json(),
               [&](RequestContext& context) {
                   return Reply::json(reopenInvoice(database, context.caller(), context.parameter("id"),
                                                    optionalText(context.body(), "reason").value_or(""),
                                                    context.now()));
               });
    routes.add(HttpMethod::post, "api/native/v1/invoices/{id}/credit-note", Access::member, BodyRule::json(),
               [&](RequestContext& context) {
                   return Reply::json(creditInvoice(database, context.caller(), context.parameter("id"),
                                                    requiredInteger(context.body(), "creditAmountCents"),
                                                    context.now()));
               });
    routes.get("api/native/v1/invoices/{id}/timeline", Access::member, [&](RequestContext& context) {
        return Reply::json(invoiceTimeline(database, context.caller(), context.parameter("id")));
    });
    routes.get("api/native/v1/email/gmail-aliases", Access::member, [](RequestContext&) {
        // No mail account is connected to this service: an honest empty answer.
        return Reply::json(Json{{"isGmail", false}, {"aliases", Json::array()}});
    });
}

}  // namespace zelvorin::service
