// The maker's addresses, shared by the banner and the About box.
#pragma once

#define QM_COMPANY_NAME u"Vandrel Software Pvt. Ltd."
#define QM_WEBSITE_TEXT u"www.vandrel.example"
#define QM_WEBSITE_URL u"http://www.vandrel.example/"
#define QM_PRODUCT_URL u"http://www.vandrel.example/quillmere.html"
#define QM_SUPPORT_EMAIL u"support@vandrel.example"
#define QM_SALES_EMAIL u"sales@vandrel.example"
#define QM_VERSION_TEXT u"10.12.01"
