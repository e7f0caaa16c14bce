#!/usr/bin/env python3
"""A simulated bureau site for the tests of the web automation.

It follows the page-by-page design of the Massachusetts online pool application in the
project's forms notes: the SOAR log-in and home pages, the OAR application with its tabs,
server-side validation that keeps a tab with errors from moving forward, an idle time-out, a
frames mode (?frames=1 at log-in) and a test-control endpoint (/_test/...) that presets
accounts, changes settings and reads back everything an application holds.

    python3 wcrib_site.py [--port 0] [--idle-timeout SECONDS]

prints "PORT <number>" once it listens on 127.0.0.1 and ends when its standard input closes.
"""

import argparse
import datetime
import json
import os
import re
import secrets
import sys
import threading
import time

from flask import Flask, abort, jsonify, make_response, redirect, render_template, request
from werkzeug.serving import make_server

app = Flask(__name__)

# The rate table behind the class look-up: a small fixture of its own (rates per 100 of payroll).
CLASSES = {
    "0042": ("Landscape gardening", 3.95),
    "2003": ("Bakery", 2.05),
    "5183": ("Plumbing NOC", 2.60),
    "5190": ("Electrical wiring within buildings", 2.00),
    "5403": ("Carpentry NOC", 6.50),
    "5551": ("Roofing - all kinds", 11.45),
    "5645": ("Carpentry - residential dwellings", 5.45),
    "6217": ("Excavation", 3.65),
    "7219": ("Trucking NOC", 5.05),
    "7380": ("Drivers, chauffeurs and messengers", 3.55),
    "8017": ("Store - retail NOC", 1.05),
    "8380": ("Automobile service or repair center", 2.15),
    "8742": ("Salespersons - outside", 0.22),
    "8810": ("Clerical office employees NOC", 0.09),
    "9014": ("Janitorial services by contractors", 2.55),
}
LEGAL_STATUSES = [("IND", "Individual"), ("PART", "Partnership"), ("CORP", "Corporation"),
                  ("LLC", "Limited Liability Company"), ("LLP", "Limited Liability Partnership"),
                  ("JV", "Joint Venture"), ("TRUST", "Trust"), ("ASSOC", "Association"),
                  ("OTHER", "Other")]
STATES = ["MA", "CT", "ME", "NH", "NJ", "NY", "RI", "VT"]
EL_LIMITS = [("9845", "100/500/100", 1.00), ("9803", "500/500/500", 1.011),
             ("9807", "500/1000/500", 1.014), ("9808", "1000/1000/1000", 1.016),
             ("9812", "2000/2000/2000", 1.021)]
DEDUCTIBLES = ["NONE", "500", "1000", "2500", "5000"]
INSTALLMENTS = [("ANNUAL", 1.00), ("SEMI", 0.50), ("QUARTERLY", 0.25), ("MONTHLY", 0.10)]
PRIOR_REASONS = ["EXPIRED", "CANCELLED-NONPAY", "CANCELLED-OTHER", "NONRENEWED"]
ATTACH_TYPES = ["SUPP-LEASE", "SUPP-LABOR", "SUPP-CLIENT", "SUPP-CONSTR", "SUPP-TRUCK",
                "IRS-SS4", "OTHER"]
QUESTIONS = [
    "Does the employer lease employees to or from a leasing company?",
    "Is the employer a labor contractor?",
    "Is the employer a client of a labor contractor?",
    "Is the employer a construction contractor using subcontractors?",
    "Does the employer have trucking or delivery operations?",
    "Do employees work outside Massachusetts?",
    "Are other business entities under common ownership?",
    "Was prior coverage cancelled for non-payment or non-cooperation?",
]
TABS = [("general", "tabGeneral", "General Information"), ("locations", "tabLocations", "Locations"),
        ("owners", "tabOwners", "Owners/Officers"), ("classes", "tabClasses", "Classifications"),
        ("prior", "tabPrior", "Prior Coverage"), ("questions", "tabQuestions", "Questions"),
        ("producer", "tabProducer", "Producer"), ("premium", "tabPremium", "Premium"),
        ("submit", "tabSubmit", "Attachments/Submit")]
TAB_NAMES = [t[0] for t in TABS]

LOCK = threading.RLock()
STATE = {}


def reset_state(idle_timeout=1200):
    with LOCK:
        STATE.clear()
        STATE.update({
            "accounts": {},
            "sessions": {},
            "apps": {},
            "next_app": 1,
            "config": {"idle_timeout": idle_timeout, "delays": {}, "lock_after": 3,
                       "duplicate_check": True, "status_on_next_visit": None},
            "hits": {},
        })


def now():
    return time.monotonic()


def tomorrow():
    return datetime.date.today() + datetime.timedelta(days=1)


def delay(page):
    seconds = STATE["config"]["delays"].get(page, 0)
    if seconds:
        time.sleep(float(seconds))


def count_hit(name):
    with LOCK:
        STATE["hits"][name] = STATE["hits"].get(name, 0) + 1


# ------------------------------------------------------------------------------------------
# Sessions

def current_session():
    sid = request.cookies.get("SOARSESSION")
    if not sid:
        return None, None
    with LOCK:
        session = STATE["sessions"].get(sid)
        if session is None:
            return sid, None
        if now() - session["last"] > STATE["config"]["idle_timeout"]:
            del STATE["sessions"][sid]
            return sid, "timed out"
        session["last"] = now()
        return sid, session


def render(template, session=None, **values):
    frames = bool(session and session.get("frames"))
    return render_template(template, session=session, frames=frames, tabs=TABS, **values)


def login_page(message="", frames=False, status=200):
    response = make_response(render("login.html", message=message, login_frames=frames), status)
    return response


def require_session():
    """The session of the request, or the response that sends the user to log in."""
    sid, session = current_session()
    if isinstance(session, dict):
        return session, None
    message = "timed out" if session == "timed out" else ""
    response = login_page(message)
    response.delete_cookie("SOARSESSION")
    return None, response


# ------------------------------------------------------------------------------------------
# Pages before the log-in

@app.route("/")
def home():
    count_hit("home")
    return render("home.html")


@app.route("/enroll")
def enroll():
    return render("static.html", title="Enrollment", text="Agency enrollment is not part of this site.")


@app.route("/soar/forgot")
def forgot():
    return render("static.html", title="Forgot password", text="Ask the test harness.")


@app.route("/soar/login", methods=["GET", "POST"])
def login():
    count_hit("login")
    delay("login")
    frames = request.values.get("frames") == "1"
    if request.method == "GET":
        return login_page("", frames)
    user = request.form.get("txtUserName", "").strip()
    password = request.form.get("txtPassword", "")
    with LOCK:
        account = STATE["accounts"].get(user.lower())
        if account is None or account["locked"] or account["password"] != password:
            if account is not None and not account["locked"]:
                account["failures"] += 1
                if account["failures"] >= STATE["config"]["lock_after"]:
                    account["locked"] = True
            message = "Account locked" if account is not None and account["locked"] \
                else "Invalid user name or password"
            return login_page(message, frames)
        account["failures"] = 0
        sid = secrets.token_hex(16)
        STATE["sessions"][sid] = {"user": account["user"], "agency": account["agency"],
                                  "last": now(), "frames": frames}
    response = redirect("/soar/frames" if frames else "/soar/home", code=303)
    response.set_cookie("SOARSESSION", sid, httponly=True, samesite="Lax")
    return response


@app.route("/soar/logout")
def logout():
    sid = request.cookies.get("SOARSESSION")
    with LOCK:
        STATE["sessions"].pop(sid, None)
    response = login_page("")
    response.delete_cookie("SOARSESSION")
    return response


# ------------------------------------------------------------------------------------------
# SOAR home, menu and frames

@app.route("/soar/frames")
def frameset():
    session, refused = require_session()
    if refused:
        return refused
    return render("frames.html", session=session)


@app.route("/soar/menu")
def menu():
    session, refused = require_session()
    if refused:
        return refused
    return render("menu.html", session=session)


@app.route("/soar/home")
def soar_home():
    count_hit("soar_home")
    session, refused = require_session()
    if refused:
        return refused
    delay("soar_home")
    return render("soar_home.html", session=session)


# ------------------------------------------------------------------------------------------
# Creating an application

def normal_fein(text):
    digits = re.sub(r"\D", "", text or "")
    if len(digits) != 9 or not re.fullmatch(r"\d{2}-?\d{7}", (text or "").strip()):
        return None
    return digits[:2] + "-" + digits[2:]


def parse_date(text):
    try:
        return datetime.datetime.strptime((text or "").strip(), "%m/%d/%Y").date()
    except ValueError:
        return None


def new_app(session, form):
    with LOCK:
        app_id = STATE["next_app"]
        STATE["next_app"] += 1
        record = {
            "id": app_id, "user": session["user"], "status": "In Progress",
            "eff_date": form["txtEffDate"].strip(),
            "employer": form["txtEmployerName"].strip(),
            "fein": normal_fein(form.get("txtFEIN", "")) or "",
            "fein_pending": form.get("chkFEINPending") == "on",
            "general": {"txtEmployerName": form["txtEmployerName"].strip(),
                        "txtFEIN": normal_fein(form.get("txtFEIN", "")) or "",
                        "chkFEINPending": "on" if form.get("chkFEINPending") == "on" else "",
                        "selMailState": "MA"},
            "locations": [{"street": "", "city": "", "zip": "", "phone": ""}],
            "location_total": "1",
            "owners": [],
            "classes": [{"loc": "1", "code": "", "employees": "", "payroll": ""}],
            "prior": {"rdoPriorCov": "", "rows": [{}], "rdoPremOwed": "", "txaPremOwed": "",
                      "decl": [{}, {}]},
            "questions": {},
            "producer": {},
            "premium": {"selELLimits": "9845", "selDeductible": "NONE", "rdoFinanced": "N",
                        "txtFinCoName": "", "txtFinCoAddr": "", "selInstallment": "ANNUAL"},
            "attachments": [],
            "submit": {},
            "saved_tabs": [],
            "app_number": "",
            "history": [("In Progress", datetime.datetime.now().isoformat(timespec="seconds"))],
        }
        account = STATE["accounts"].get(session["user"].lower(), {})
        record["producer"] = {"txtAgencyName": account.get("agency", ""),
                              "txtAgencyFEIN": account.get("fein", ""),
                              "txtProducerName": account.get("producer", ""),
                              "txtAgencyStreet": account.get("street", ""),
                              "txtAgencyCity": account.get("city", ""),
                              "selAgencyState": "MA", "txtAgencyZip": account.get("zip", ""),
                              "txtAgencyPhone": "", "txtAgencyEmail": "", "txtProdLicense": ""}
        STATE["apps"][app_id] = record
        return record


@app.route("/oar/app/new", methods=["GET", "POST"])
def create_app():
    count_hit("new")
    session, refused = require_session()
    if refused:
        return refused
    delay("new")
    errors = []
    values = dict(request.form) if request.method == "POST" else {}
    if request.method == "POST":
        eff = parse_date(values.get("txtEffDate"))
        if eff is None:
            errors.append(("txtEffDate", "Enter the requested effective date as MM/DD/YYYY"))
        elif eff < tomorrow():
            errors.append(("txtEffDate", "The effective date cannot be before tomorrow"))
        pending = values.get("chkFEINPending") == "on"
        if not pending and normal_fein(values.get("txtFEIN")) is None:
            errors.append(("txtFEIN", "Enter the employer's FEIN as 99-9999999 or check FEIN pending"))
        name = values.get("txtEmployerName", "").strip()
        if not name:
            errors.append(("txtEmployerName", "Enter the employer's name"))
        elif len(name) > 60:
            errors.append(("txtEmployerName", "The employer's name has at most 60 characters"))
        if not errors and STATE["config"]["duplicate_check"] and not pending:
            fein = normal_fein(values.get("txtFEIN"))
            for other in STATE["apps"].values():
                if other["fein"] == fein and other["eff_date"] == values["txtEffDate"].strip() \
                        and other["status"] in ("In Progress", "Submitted"):
                    errors.append(("txtFEIN", "An application for this FEIN and effective date "
                                              "is already in progress"))
                    break
        if not errors:
            record = new_app(session, values)
            return redirect("/oar/app/%d/general" % record["id"], code=303)
    return render("new_app.html", session=session, values=values, errors=errors)


# ------------------------------------------------------------------------------------------
# The tabs

def app_of(app_id, session):
    record = STATE["apps"].get(app_id)
    if record is None or record["user"] != session["user"]:
        abort(404)
    return record


def digits_amount(text):
    text = (text or "").strip().replace(",", "").replace("$", "")
    return int(text) if re.fullmatch(r"\d+", text) else None


def rows_from(form, prefix_fields, count_field=None):
    rows = {}
    for key, value in form.items():
        match = re.fullmatch(r"(%s)_(\d+)" % "|".join(prefix_fields), key)
        if match:
            rows.setdefault(int(match.group(2)), {})[match.group(1)] = value
    return [rows[n] for n in sorted(rows)]


def class_line(row):
    code = row.get("code", "").strip()
    desc, rate = CLASSES.get(code, ("", None))
    payroll = digits_amount(row.get("payroll"))
    premium = round(payroll / 100.0 * rate) if rate is not None and payroll is not None else None
    return desc, rate, premium


def premium_summary(record):
    manual = 0
    terror = 0.0
    for row in record["classes"]:
        _, _, premium = class_line(row)
        payroll = digits_amount(row.get("payroll")) or 0
        manual += premium or 0
        terror += payroll / 100.0 * 0.02
    p = record["premium"]
    factor = dict((code, f) for code, _, f in EL_LIMITS).get(p.get("selELLimits"), 1.0)
    el = round(manual * factor) - manual
    modified = manual + el
    ded = 0 if p.get("selDeductible", "NONE") == "NONE" else -round(modified * 0.02)
    standard = modified + ded
    expense = 250
    dia = round(standard * 0.04)
    total = standard + round(terror) + expense + dia
    share = dict(INSTALLMENTS).get(p.get("selInstallment", "ANNUAL"), 1.0)
    return {"manual": manual, "el": el, "mod": modified, "arap": modified, "ded": ded,
            "terror": round(terror), "expconst": expense, "dia": dia, "total": total,
            "deposit": round(total * share)}


def save_tab(record, tab, form):
    """Stores what the tab's form holds; returns the list of (field, message) errors."""
    errors = []
    if tab == "general":
        g = record["general"]
        for key in ["txtEmployerName", "txtDBA", "txtFEIN", "selLegalStatus", "txtLegalOther",
                    "txtMailStreet", "txtMailCity", "selMailState", "txtMailZip", "txtPhone",
                    "txtEmail", "txtBusStart", "txaOperations", "txtRecordsAddr",
                    "txtContactName", "txtContactPhone", "txtContactEmail"]:
            g[key] = form.get(key, "").strip()
        g["chkFEINPending"] = "on" if form.get("chkFEINPending") == "on" else ""
        if not g["txtEmployerName"]:
            errors.append(("txtEmployerName", "Employer name is required"))
        if g["chkFEINPending"] != "on":
            fein = normal_fein(g["txtFEIN"])
            if fein is None:
                errors.append(("txtFEIN", "FEIN must be 99-9999999"))
            else:
                g["txtFEIN"] = fein
        if g["selLegalStatus"] not in [code for code, _ in LEGAL_STATUSES]:
            errors.append(("selLegalStatus", "Legal status is required"))
        if g["selLegalStatus"] == "OTHER" and not g["txtLegalOther"]:
            errors.append(("txtLegalOther", "Describe the other legal status"))
        for key, label in [("txtMailStreet", "Mailing street"), ("txtMailCity", "Mailing city")]:
            if not g[key]:
                errors.append((key, label + " is required"))
        if not re.fullmatch(r"\d{5}(-?\d{4})?", g["txtMailZip"]):
            errors.append(("txtMailZip", "Mailing zip must be 5 or 9 digits"))
        if g["txtPhone"] and len(re.sub(r"\D", "", g["txtPhone"])) != 10:
            errors.append(("txtPhone", "Phone must have 10 digits"))
        if not g["txaOperations"]:
            errors.append(("txaOperations", "Description of operations is required"))
        if len(g["txaOperations"]) > 1000:
            errors.append(("txaOperations", "Description of operations has at most 1000 characters"))
        if g["txtContactEmail"] and "@" not in g["txtContactEmail"]:
            errors.append(("txtContactEmail", "Contact e-mail is not an address"))
        record["employer"] = g["txtEmployerName"]
        record["fein"] = g["txtFEIN"]
        record["fein_pending"] = g["chkFEINPending"] == "on"
    elif tab == "locations":
        rows = rows_from(form, ["txtLocStreet", "txtLocCity", "txtLocZip", "txtLocPhone",
                                "chkDelLoc"])
        kept = [r for r in rows if r.get("chkDelLoc") != "on"] or [{}]
        record["locations"] = [{"street": r.get("txtLocStreet", "").strip(),
                                "city": r.get("txtLocCity", "").strip(),
                                "zip": r.get("txtLocZip", "").strip(),
                                "phone": r.get("txtLocPhone", "").strip()} for r in kept]
        if "btnAddLocation" in form:
            record["locations"].append({"street": "", "city": "", "zip": "", "phone": ""})
        for n, loc in enumerate(record["locations"], start=1):
            if "btnAddLocation" in form and n == len(record["locations"]):
                continue
            if not loc["street"] or not loc["city"]:
                errors.append(("txtLocStreet_%d" % n, "Location %d needs a street and city" % n))
            if not re.fullmatch(r"\d{5}(-?\d{4})?", loc["zip"]):
                errors.append(("txtLocZip_%d" % n, "Location %d needs a 5 or 9 digit zip" % n))
        total = form.get("txtLocTotal", "").strip()
        record["location_total"] = total
        if not re.fullmatch(r"\d+", total) or int(total) < len(record["locations"]):
            errors.append(("txtLocTotal", "The total number of MA locations must be at least "
                                          "the number of locations listed"))
    elif tab == "owners":
        rows = rows_from(form, ["txtOwnName", "txtOwnTitle", "txtOwnPct", "selOwnIncExc",
                                "txtOwnDuties", "txtOwnClass", "txtOwnPayroll", "chkDelOwn"])
        record["owners"] = [r for r in rows if r.get("chkDelOwn") != "on" and
                            any(v.strip() for k, v in r.items() if k != "selOwnIncExc")]
        if "btnAddOwner" in form:
            record["owners"].append({})
        for n, r in enumerate(record["owners"], start=1):
            if r and not r.get("txtOwnName", "").strip():
                errors.append(("txtOwnName_%d" % n, "Owner %d needs a name" % n))
            pct = r.get("txtOwnPct", "").strip()
            if pct and (not pct.isdigit() or int(pct) > 100):
                errors.append(("txtOwnPct_%d" % n, "Ownership is a percentage"))
    elif tab == "classes":
        rows = rows_from(form, ["selClassLoc", "txtClassCode", "txtClassEmps", "txtClassPayroll",
                                "chkDelClass"])
        kept = [r for r in rows if r.get("chkDelClass") != "on"]
        record["classes"] = [{"loc": r.get("selClassLoc", "1"),
                              "code": r.get("txtClassCode", "").strip(),
                              "employees": r.get("txtClassEmps", "").strip(),
                              "payroll": r.get("txtClassPayroll", "").strip()} for r in kept]
        adding = "btnAddClass" in form
        if not record["classes"]:
            errors.append(("txtClassCode_1", "At least one classification is required"))
        for n, row in enumerate(record["classes"], start=1):
            if row["code"] not in CLASSES:
                errors.append(("txtClassCode_%d" % n, "Class code %s is not a Massachusetts "
                                                      "class code" % (row["code"] or "(blank)")))
            if digits_amount(row["payroll"]) is None or digits_amount(row["payroll"]) == 0:
                errors.append(("txtClassPayroll_%d" % n, "Estimated annual payroll is required"))
            if row["employees"] and not row["employees"].isdigit():
                errors.append(("txtClassEmps_%d" % n, "Employees is a whole number"))
            if not row["loc"].isdigit() or not 1 <= int(row["loc"]) <= len(record["locations"]):
                errors.append(("selClassLoc_%d" % n, "Choose a listed location"))
        if adding:
            record["classes"].append({"loc": "1", "code": "", "employees": "", "payroll": ""})
    elif tab == "prior":
        p = record["prior"]
        p["rdoPriorCov"] = form.get("rdoPriorCov", "")
        p["rows"] = [{k: v.strip() for k, v in r.items()} for r in
                     rows_from(form, ["txtPriorCarrier", "txtPriorPolicy", "txtPriorExp",
                                      "selPriorReason"])] or [{}]
        p["rdoPremOwed"] = form.get("rdoPremOwed", "")
        p["txaPremOwed"] = form.get("txaPremOwed", "").strip()
        p["decl"] = [{"txtDeclCo": form.get("txtDeclCo_%d" % n, "").strip(),
                      "txtDeclDate": form.get("txtDeclDate_%d" % n, "").strip()} for n in (1, 2)]
        if p["rdoPriorCov"] == "Y" and not p["rows"][0].get("txtPriorCarrier"):
            errors.append(("txtPriorCarrier_1", "Name the prior carrier"))
        if p["rdoPremOwed"] == "Y" and not p["txaPremOwed"]:
            errors.append(("txaPremOwed", "Explain the premium owed"))
    elif tab == "questions":
        q = record["questions"]
        for n in range(1, len(QUESTIONS) + 1):
            q["rdoQ%d" % n] = form.get("rdoQ%d" % n, "")
            q["txaQ%d" % n] = form.get("txaQ%d" % n, "").strip()
            if q["rdoQ%d" % n] == "Y" and not q["txaQ%d" % n]:
                errors.append(("txaQ%d" % n, "Explain the answer to question %d" % n))
    elif tab == "producer":
        p = record["producer"]
        for key in ["txtAgencyName", "txtProducerName", "txtAgencyStreet", "txtAgencyCity",
                    "selAgencyState", "txtAgencyZip", "txtAgencyPhone", "txtAgencyEmail",
                    "txtProdLicense"]:
            p[key] = form.get(key, "").strip()
        if not p["txtAgencyName"]:
            errors.append(("txtAgencyName", "Agency name is required"))
    elif tab == "premium":
        p = record["premium"]
        for key in ["selELLimits", "selDeductible", "rdoFinanced", "txtFinCoName", "txtFinCoAddr",
                    "selInstallment"]:
            p[key] = form.get(key, p.get(key, "")).strip()
        record["install_note"] = ""
        if p["rdoFinanced"] == "Y" and p["selInstallment"] != "ANNUAL":
            p["selInstallment"] = "ANNUAL"
            record["install_note"] = "A financed premium is paid on an annual basis"
        elif p["selInstallment"] != "ANNUAL" and premium_summary(record)["total"] < 1500:
            p["selInstallment"] = "ANNUAL"
            record["install_note"] = "The premium does not qualify for installments"
    elif tab == "submit":
        s = record["submit"]
        for key in ["txtSignerName", "txtSignerTitle"]:
            s[key] = form.get(key, "").strip()
        for key in ["chkEmployerCert", "chkProducerCert"]:
            s[key] = "on" if form.get(key) == "on" else ""
        if "btnSaveAttach" in form:
            kind = form.get("selAttachType", "")
            text = form.get("txaAttachText", "").strip()
            upload = request.files.get("filAttach")
            name = upload.filename if upload and upload.filename else ""
            if kind not in ATTACH_TYPES or not (text or name):
                errors.append(("selAttachType", "Choose a type and give a file or text"))
            else:
                record["attachments"].append({"type": kind, "text": text, "file": name})
    if tab not in record["saved_tabs"]:
        record["saved_tabs"].append(tab)
    return errors


def required_attachments(record):
    needed = []
    kinds = ["SUPP-LEASE", "SUPP-LABOR", "SUPP-CLIENT", "SUPP-CONSTR", "SUPP-TRUCK"]
    for n, kind in enumerate(kinds, start=1):
        if record["questions"].get("rdoQ%d" % n) == "Y":
            needed.append(kind)
    if record["fein_pending"]:
        needed.append("IRS-SS4")
    return needed


def submission_errors(record):
    errors = []
    s = record["submit"]
    if s.get("chkEmployerCert") != "on":
        errors.append(("chkEmployerCert", "The employer must certify the application"))
    if s.get("chkProducerCert") != "on":
        errors.append(("chkProducerCert", "The producer must certify the application"))
    if not s.get("txtSignerName"):
        errors.append(("txtSignerName", "Signer name is required"))
    if not s.get("txtSignerTitle"):
        errors.append(("txtSignerTitle", "Signer title is required"))
    p = record["premium"]
    if p.get("rdoFinanced") == "Y" and not (p.get("txtFinCoName") and p.get("txtFinCoAddr")):
        errors.append(("txtFinCoName", "Name the finance company and its address"))
    if record["prior"].get("rdoPriorCov") not in ("Y", "N"):
        errors.append(("rdoPriorCov", "Answer whether there was prior coverage"))
    for n in range(1, len(QUESTIONS) + 1):
        if record["questions"].get("rdoQ%d" % n) not in ("Y", "N"):
            errors.append(("rdoQ%d_Y" % n, "Answer question %d" % n))
    saved = [a["type"] for a in record["attachments"]]
    for kind in required_attachments(record):
        if kind not in saved:
            errors.append(("selAttachType", "The attachment %s is required" % kind))
    return errors


@app.route("/oar/app/<int:app_id>/<tab>", methods=["GET", "POST"])
def app_tab(app_id, tab):
    if tab not in TAB_NAMES and tab != "confirm":
        abort(404)
    count_hit(tab)
    session, refused = require_session()
    if refused:
        return refused
    delay(tab)
    record = app_of(app_id, session)
    if tab == "confirm":
        return render("confirm.html", session=session, record=record,
                      summary=premium_summary(record))
    errors = []
    if request.method == "POST":
        if record["status"] not in ("In Progress", "Returned"):
            errors.append(("btnSave", "No changes can be made after submission"))
        else:
            errors = save_tab(record, tab, request.form)
            index = TAB_NAMES.index(tab)
            target = None
            if "btnNext" in request.form and index + 1 < len(TAB_NAMES):
                target = TAB_NAMES[index + 1]
            elif "btnPrevious" in request.form and index > 0:
                target = TAB_NAMES[index - 1]
            elif request.form.get("hidGoto") in TAB_NAMES:
                target = request.form.get("hidGoto")
            forward = target is not None and TAB_NAMES.index(target) > index
            if tab == "submit" and "btnSubmit" in request.form and not errors:
                errors = submission_errors(record)
                if not errors:
                    with LOCK:
                        record["status"] = "Submitted"
                        record["app_number"] = "MA-%d-%06d" % (datetime.date.today().year,
                                                                 record["id"])
                        record["history"].append(("Submitted",
                                                  datetime.datetime.now().isoformat(timespec="seconds")))
                    return redirect("/oar/app/%d/confirm" % app_id, code=303)
            if target is not None and (not errors or not forward):
                return redirect("/oar/app/%d/%s" % (app_id, target), code=303)
    values = {"record": record, "errors": errors, "summary": premium_summary(record),
              "classes": CLASSES, "legal_statuses": LEGAL_STATUSES, "states": STATES,
              "el_limits": EL_LIMITS, "deductibles": DEDUCTIBLES, "installments": INSTALLMENTS,
              "prior_reasons": PRIOR_REASONS, "attach_types": ATTACH_TYPES,
              "questions": QUESTIONS, "required": required_attachments(record),
              "class_line": class_line, "tab": tab}
    return render("tab_%s.html" % tab, session=session, **values)


# ------------------------------------------------------------------------------------------
# Look-ups, lists and the calculator

@app.route("/oar/api/class/<code>")
def class_api(code):
    if code not in CLASSES:
        return jsonify({"error": "Unknown class code"}), 404
    desc, rate = CLASSES[code]
    return jsonify({"code": code, "description": desc, "rate": rate})


@app.route("/oar/lookup")
def lookup():
    session, refused = require_session()
    if refused:
        return refused
    search = request.args.get("txtSearch", "").strip().lower()
    found = [(code, desc) for code, (desc, _) in sorted(CLASSES.items())
             if search in desc.lower() or search in code]
    return render("lookup.html", session=session, row=request.args.get("row", "1"),
                  search=search, found=found)


@app.route("/oar/apps")
def my_apps():
    count_hit("apps")
    session, refused = require_session()
    if refused:
        return refused
    with LOCK:
        change = STATE["config"]["status_on_next_visit"]
        mine = [a for a in sorted(STATE["apps"].values(), key=lambda a: a["id"])
                if a["user"] == session["user"]]
        if change:
            for record in mine:
                if record["status"] == "Submitted":
                    record["status"] = change
                    record["history"].append((change, datetime.datetime.now().isoformat(timespec="seconds")))
            STATE["config"]["status_on_next_visit"] = None
    return render("apps.html", session=session, apps=mine)


@app.route("/oar/calculator", methods=["GET", "POST"])
def calculator():
    sid, session = current_session()
    session = session if isinstance(session, dict) else None
    record = {"classes": [], "premium": {"selELLimits": request.form.get("selELLimits", "9845"),
                                         "selDeductible": request.form.get("selDeductible", "NONE"),
                                         "selInstallment": request.form.get("selInstallment", "ANNUAL")}}
    for n in range(1, 21):
        code = request.form.get("txtCalcCode_%d" % n, "").strip()
        if code:
            record["classes"].append({"code": code,
                                      "payroll": request.form.get("txtCalcPayroll_%d" % n, "")})
    summary = premium_summary(record) if request.method == "POST" else None
    return render("calculator.html", session=session, form=request.form, summary=summary,
                  el_limits=EL_LIMITS, deductibles=DEDUCTIBLES, installments=INSTALLMENTS)


# ------------------------------------------------------------------------------------------
# Test control (never used by the script)

@app.route("/_test/reset", methods=["POST"])
def test_reset():
    reset_state(STATE["config"]["idle_timeout"])
    return jsonify({"ok": True})


@app.route("/_test/accounts", methods=["POST"])
def test_accounts():
    with LOCK:
        for account in request.get_json(force=True):
            STATE["accounts"][account["user"].lower()] = {
                "user": account["user"], "password": account["password"],
                "agency": account.get("agency", ""), "fein": account.get("fein", ""),
                "producer": account.get("producer", ""), "street": account.get("street", ""),
                "city": account.get("city", ""), "zip": account.get("zip", ""),
                "failures": 0, "locked": bool(account.get("locked", False))}
    return jsonify({"ok": True})


@app.route("/_test/config", methods=["POST"])
def test_config():
    with LOCK:
        STATE["config"].update(request.get_json(force=True))
    return jsonify(STATE["config"])


@app.route("/_test/applications")
def test_applications():
    with LOCK:
        return jsonify(sorted(STATE["apps"].values(), key=lambda a: a["id"]))


@app.route("/_test/accounts/<user>")
def test_account(user):
    with LOCK:
        account = dict(STATE["accounts"].get(user.lower()) or abort(404))
        account.pop("password", None)
        return jsonify(account)


@app.route("/_test/pages", methods=["POST"])
def test_pages():
    page = request.get_json(force=True)
    with LOCK:
        STATE.setdefault("pages", {})[page["name"]] = page["html"]
    return jsonify({"ok": True})


@app.route("/_test/page/<name>", methods=["GET", "POST"])
def test_page(name):
    count_hit("page:" + name)
    seconds = float(request.args.get("delay", "0") or 0)
    if seconds:
        time.sleep(seconds)
    with LOCK:
        html = STATE.get("pages", {}).get(name)
        if html is None:
            abort(404)
        record = STATE.setdefault("posted", {})
        if request.method == "POST":
            record[name] = dict(request.form)
    return html


@app.route("/_test/posted")
def test_posted():
    with LOCK:
        return jsonify(STATE.get("posted", {}))


@app.route("/_notice/<path:page>")
def notice(page):
    count_hit("notice:" + request.full_path)
    return "<html><body>Thank you</body></html>"


@app.route("/_test/hits")
def test_hits():
    with LOCK:
        return jsonify(STATE["hits"])


@app.after_request
def no_cache(response):
    response.headers["Cache-Control"] = "no-store"
    return response


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--idle-timeout", type=float, default=1200)
    args = parser.parse_args()
    reset_state(args.idle_timeout)
    import logging
    logging.getLogger("werkzeug").setLevel(logging.ERROR)
    server = make_server("127.0.0.1", args.port, app, threaded=True)
    print("PORT %d" % server.server_port, flush=True)

    def watch_stdin():
        # The harness holds our standard input; when it goes, so do we.
        try:
            while sys.stdin.read(1):
                pass
        finally:
            os._exit(0)

    threading.Thread(target=watch_stdin, daemon=True).start()
    server.serve_forever()


if __name__ == "__main__":
    main()
